#include "engine/OracleDriver.h"

#include <algorithm>
#include <vector>

#include "base/Exception.h"
#include "base/Text.h"
#include "engine/OciApi.h"
#include "platform/Loader.h"

struct OciApi {
    std::unique_ptr<TLibrary> Library;
    decltype(&OCIEnvCreate) EnvCreate = nullptr;
    decltype(&OCIHandleAlloc) HandleAlloc = nullptr;
    decltype(&OCIHandleFree) HandleFree = nullptr;
    decltype(&OCIDescriptorFree) DescriptorFree = nullptr;
    decltype(&OCILogon) Logon = nullptr;
    decltype(&OCILogoff) Logoff = nullptr;
    decltype(&OCIStmtPrepare) StmtPrepare = nullptr;
    decltype(&OCIStmtExecute) StmtExecute = nullptr;
    decltype(&OCIParamGet) ParamGet = nullptr;
    decltype(&OCIAttrGet) AttrGet = nullptr;
    decltype(&OCIDefineByPos) DefineByPos = nullptr;
    decltype(&OCIStmtFetch2) StmtFetch2 = nullptr;
    decltype(&OCIErrorGet) ErrorGet = nullptr;
};

namespace {

constexpr const char* kMissingOciFunction = "Biblioteka klienta Oracle nie udostępnia funkcji %s";

const OraText* Ora(const std::string& s) { return reinterpret_cast<const OraText*>(s.data()); }
ub4 Length(const std::string& s) { return static_cast<ub4>(s.size()); }

// The client's own message ("ORA-01017: ..."), without its closing line break.
std::string ErrorText(const OciApi& api, void* handle, ub4 type) {
    if (!handle) return {};
    std::vector<OraText> buffer(2048);
    sb4 code = 0;
    if (api.ErrorGet(handle, 1, nullptr, &code, buffer.data(), static_cast<ub4>(buffer.size()), type) != oci::Success)
        return {};
    buffer.back() = 0;
    std::string text(reinterpret_cast<const char*>(buffer.data()));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return AnsiToUtf8(text);
}

void Check(const OciApi& api, sword rc, void* handle, ub4 type, const char* function) {
    if (rc == oci::Success || rc == oci::SuccessWithInfo) return;
    std::string text = rc == oci::InvalidHandle ? std::string() : ErrorText(api, handle, type);
    if (text.empty()) text = Format("Wywołanie klienta Oracle %s nie powiodło się (kod %s)", {function, std::to_string(rc)});
    throw Exception(text);
}

template <class T>
class Handle {
public:
    Handle(const OciApi& api, ub4 type) : api_(api), type_(type) {}
    ~Handle() {
        if (handle_) api_.HandleFree(handle_, type_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    T* Get() const { return handle_; }
    T** Out() { return &handle_; }
    void** OutVoid() { return reinterpret_cast<void**>(&handle_); }

private:
    const OciApi& api_;
    ub4 type_;
    T* handle_ = nullptr;
};

// The service context of a logged-in session; logs off and frees it.
class Session {
public:
    Session(const OciApi& api, const Handle<OCIError>& error) : api_(api), error_(error) {}
    ~Session() {
        if (svc_) api_.Logoff(svc_, error_.Get());
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    OCISvcCtx* Get() const { return svc_; }
    OCISvcCtx** Out() { return &svc_; }

private:
    const OciApi& api_;
    const Handle<OCIError>& error_;
    OCISvcCtx* svc_ = nullptr;
};

// A column's parameter descriptor, freed when done.
class Param {
public:
    explicit Param(const OciApi& api) : api_(api) {}
    ~Param() {
        if (param_) api_.DescriptorFree(param_, oci::DTypeParam);
    }
    Param(const Param&) = delete;
    Param& operator=(const Param&) = delete;

    void* Get() const { return param_; }
    void** Out() { return &param_; }

private:
    const OciApi& api_;
    void* param_ = nullptr;
};

struct Column {
    std::string Name;
    std::vector<char> Buffer;
    sb2 Indicator = 0;
    ub2 Length = 0;
    ub2 ReturnCode = 0;
    OCIDefine* Define = nullptr;  // owned by the statement
};

class OracleCursor : public TEngineCursor {
public:
    OracleCursor(std::shared_ptr<const OciApi> shared, const TStringList& params, const std::string& sql)
        : api_(std::move(shared)),
          env_(*api_, oci::HTypeEnv),
          error_(*api_, oci::HTypeError),
          session_(*api_, error_),
          stmt_(*api_, oci::HTypeStmt) {
        const OciApi& api = *api_;
        const sword created = api.EnvCreate(env_.Out(), oci::Default, nullptr, nullptr, nullptr, nullptr, 0, nullptr);
        if (created != oci::Success) {
            std::string text = ErrorText(api, env_.Get(), oci::HTypeEnv);
            throw Exception(text.empty() ? "Nie można utworzyć środowiska klienta Oracle" : text);
        }
        Check(api, api.HandleAlloc(env_.Get(), error_.OutVoid(), oci::HTypeError, 0, nullptr), env_.Get(),
              oci::HTypeEnv, "OCIHandleAlloc");
        OCIError* err = error_.Get();

        const std::string user = Utf8ToAnsi(params.Values("USER NAME"));
        const std::string password = Utf8ToAnsi(params.Values("PASSWORD"));
        const std::string service = Utf8ToAnsi(params.Values("SERVER NAME"));
        Check(api,
              api.Logon(env_.Get(), err, session_.Out(), Ora(user), Length(user), Ora(password), Length(password),
                        Ora(service), Length(service)),
              err, oci::HTypeError, "OCILogon");

        Check(api, api.HandleAlloc(env_.Get(), stmt_.OutVoid(), oci::HTypeStmt, 0, nullptr), env_.Get(),
              oci::HTypeEnv, "OCIHandleAlloc");
        const std::string text = Utf8ToAnsi(sql);
        Check(api, api.StmtPrepare(stmt_.Get(), err, Ora(text), Length(text), oci::NtvSyntax, oci::Default), err,
              oci::HTypeError, "OCIStmtPrepare");
        ub2 type = 0;
        Check(api, api.AttrGet(stmt_.Get(), oci::HTypeStmt, &type, nullptr, oci::AttrStmtType, err), err,
              oci::HTypeError, "OCIAttrGet");
        // A query is described by its execution and fetched later; anything
        // else runs once.
        const bool select = type == oci::StmtSelect;
        Check(api, api.StmtExecute(session_.Get(), stmt_.Get(), err, select ? 0 : 1, 0, nullptr, nullptr, oci::Default),
              err, oci::HTypeError, "OCIStmtExecute");
        done_ = !select;
        if (select) DefineColumns();
    }

    const std::vector<std::string>& ColumnNames() const override { return names_; }

    bool Fetch(std::vector<std::string>& row) override {
        if (done_) return false;
        const sword rc = api_->StmtFetch2(stmt_.Get(), error_.Get(), 1, oci::FetchNext, 0, oci::Default);
        if (rc == oci::NoData) {
            done_ = true;
            return false;
        }
        Check(*api_, rc, error_.Get(), oci::HTypeError, "OCIStmtFetch2");
        row.clear();
        for (const Column& column : columns_) {
            if (column.Indicator == -1) {
                row.emplace_back();
                continue;
            }
            // The text ends at its NUL; a truncated value is still terminated.
            const auto end = std::find(column.Buffer.begin(), column.Buffer.end(), '\0');
            row.push_back(AnsiToUtf8(std::string_view(column.Buffer.data(), end - column.Buffer.begin())));
        }
        return true;
    }

private:
    void DefineColumns() {
        const OciApi& api = *api_;
        OCIError* err = error_.Get();
        ub4 count = 0;
        Check(api, api.AttrGet(stmt_.Get(), oci::HTypeStmt, &count, nullptr, oci::AttrParamCount, err), err,
              oci::HTypeError, "OCIAttrGet");
        columns_.resize(count);  // never resized again: the defines point into it
        for (ub4 i = 0; i < count; ++i) {
            Column& column = columns_[i];
            Param param(api);
            Check(api, api.ParamGet(stmt_.Get(), oci::HTypeStmt, err, param.Out(), i + 1), err, oci::HTypeError,
                  "OCIParamGet");
            OraText* name = nullptr;
            ub4 nameLength = 0;
            Check(api, api.AttrGet(param.Get(), oci::DTypeParam, &name, &nameLength, oci::AttrName, err), err,
                  oci::HTypeError, "OCIAttrGet");
            column.Name = AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(name), name ? nameLength : 0));
            ub2 size = 0;
            Check(api, api.AttrGet(param.Get(), oci::DTypeParam, &size, nullptr, oci::AttrDataSize, err), err,
                  oci::HTypeError, "OCIAttrGet");
            // Numbers and dates come back as text longer than their stored size.
            column.Buffer.assign(std::max<std::size_t>(4u * size, 256u) + 1, '\0');
            Check(api,
                  api.DefineByPos(stmt_.Get(), &column.Define, err, i + 1, column.Buffer.data(),
                                  static_cast<sb4>(column.Buffer.size()), oci::SqltStr, &column.Indicator,
                                  &column.Length, &column.ReturnCode, oci::Default),
                  err, oci::HTypeError, "OCIDefineByPos");
            names_.push_back(column.Name);
        }
    }

    // Member order is release order reversed: statement, logoff, error, environment.
    std::shared_ptr<const OciApi> api_;
    Handle<OCIEnv> env_;
    Handle<OCIError> error_;
    Session session_;
    Handle<OCIStmt> stmt_;
    std::vector<Column> columns_;
    std::vector<std::string> names_;
    bool done_ = false;
};

}  // namespace

TOracleDriver::TOracleDriver(std::unique_ptr<TLibrary> library) {
    if (!library) throw Exception("Biblioteka klienta Oracle nie została załadowana");
    auto api = std::make_shared<OciApi>();
    TLibrary& lib = *library;
    lib.Resolve(api->EnvCreate, "OCIEnvCreate", kMissingOciFunction);
    lib.Resolve(api->HandleAlloc, "OCIHandleAlloc", kMissingOciFunction);
    lib.Resolve(api->HandleFree, "OCIHandleFree", kMissingOciFunction);
    lib.Resolve(api->DescriptorFree, "OCIDescriptorFree", kMissingOciFunction);
    lib.Resolve(api->Logon, "OCILogon", kMissingOciFunction);
    lib.Resolve(api->Logoff, "OCILogoff", kMissingOciFunction);
    lib.Resolve(api->StmtPrepare, "OCIStmtPrepare", kMissingOciFunction);
    lib.Resolve(api->StmtExecute, "OCIStmtExecute", kMissingOciFunction);
    lib.Resolve(api->ParamGet, "OCIParamGet", kMissingOciFunction);
    lib.Resolve(api->AttrGet, "OCIAttrGet", kMissingOciFunction);
    lib.Resolve(api->DefineByPos, "OCIDefineByPos", kMissingOciFunction);
    lib.Resolve(api->StmtFetch2, "OCIStmtFetch2", kMissingOciFunction);
    lib.Resolve(api->ErrorGet, "OCIErrorGet", kMissingOciFunction);
    api->Library = std::move(library);
    api_ = std::move(api);
}

TOracleDriver::~TOracleDriver() = default;

std::unique_ptr<TEngineCursor> TOracleDriver::Execute(const TStringList& params, const std::string& sql) {
    return std::make_unique<OracleCursor>(api_, params, sql);
}
