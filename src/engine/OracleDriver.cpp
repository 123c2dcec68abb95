#include "engine/OracleDriver.h"

#include <algorithm>
#include <functional>
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

// A handle, session or descriptor of the client, released by its destructor.
template <class T>
class Owned {
public:
    explicit Owned(std::function<void(T*)> release) : release_(std::move(release)) {}
    Owned(const OciApi& api, ub4 type) : release_([&api, type](T* handle) { api.HandleFree(handle, type); }) {}
    ~Owned() {
        if (handle_) release_(handle_);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    T* Get() const { return handle_; }
    T** Out() { return &handle_; }
    void** OutVoid() { return reinterpret_cast<void**>(&handle_); }

private:
    std::function<void(T*)> release_;
    T* handle_ = nullptr;
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
          session_([this](OCISvcCtx* svc) { api_->Logoff(svc, error_.Get()); }),
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
        Ok(api.Logon(env_.Get(), err, session_.Out(), Ora(user), Length(user), Ora(password), Length(password),
                     Ora(service), Length(service)),
           "OCILogon");

        Check(api, api.HandleAlloc(env_.Get(), stmt_.OutVoid(), oci::HTypeStmt, 0, nullptr), env_.Get(),
              oci::HTypeEnv, "OCIHandleAlloc");
        const std::string text = Utf8ToAnsi(sql);
        Ok(api.StmtPrepare(stmt_.Get(), err, Ora(text), Length(text), oci::NtvSyntax, oci::Default), "OCIStmtPrepare");
        ub2 type = 0;
        Ok(api.AttrGet(stmt_.Get(), oci::HTypeStmt, &type, nullptr, oci::AttrStmtType, err), "OCIAttrGet");
        // A query is described by its execution and fetched later; anything
        // else runs once.
        const bool select = type == oci::StmtSelect;
        Ok(api.StmtExecute(session_.Get(), stmt_.Get(), err, select ? 0 : 1, 0, nullptr, nullptr, oci::Default),
           "OCIStmtExecute");
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
        Ok(rc, "OCIStmtFetch2");
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
    // A call that reports its failures on the error handle.
    void Ok(sword rc, const char* call) const { Check(*api_, rc, error_.Get(), oci::HTypeError, call); }

    void DefineColumns() {
        const OciApi& api = *api_;
        OCIError* err = error_.Get();
        ub4 count = 0;
        Ok(api.AttrGet(stmt_.Get(), oci::HTypeStmt, &count, nullptr, oci::AttrParamCount, err), "OCIAttrGet");
        columns_.resize(count);  // never resized again: the defines point into it
        for (ub4 i = 0; i < count; ++i) {
            Column& column = columns_[i];
            Owned<void> param([&api](void* p) { api.DescriptorFree(p, oci::DTypeParam); });
            Ok(api.ParamGet(stmt_.Get(), oci::HTypeStmt, err, param.Out(), i + 1), "OCIParamGet");
            OraText* name = nullptr;
            ub4 nameLength = 0;
            Ok(api.AttrGet(param.Get(), oci::DTypeParam, &name, &nameLength, oci::AttrName, err), "OCIAttrGet");
            column.Name = AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(name), name ? nameLength : 0));
            ub2 size = 0;
            Ok(api.AttrGet(param.Get(), oci::DTypeParam, &size, nullptr, oci::AttrDataSize, err), "OCIAttrGet");
            // Numbers and dates come back as text longer than their stored size.
            column.Buffer.assign(std::max<std::size_t>(4u * size, 256u) + 1, '\0');
            Ok(api.DefineByPos(stmt_.Get(), &column.Define, err, i + 1, column.Buffer.data(),
                               static_cast<sb4>(column.Buffer.size()), oci::SqltStr, &column.Indicator, &column.Length,
                               &column.ReturnCode, oci::Default),
               "OCIDefineByPos");
            names_.push_back(column.Name);
        }
    }

    // Member order is release order reversed: statement, logoff, error, environment.
    std::shared_ptr<const OciApi> api_;
    Owned<OCIEnv> env_;
    Owned<OCIError> error_;
    Owned<OCISvcCtx> session_;
    Owned<OCIStmt> stmt_;
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
