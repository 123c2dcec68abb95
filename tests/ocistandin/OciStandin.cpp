// Stand-in for the Oracle client library: exactly the calls the engine's
// Oracle driver makes, strict about handles and call order like the real
// client, with one known service and login.
//
//   service "VELTRA" (any case), user "sysveltra" (any case), password "mnpdarvel"
//   "select USERNAME from DBA_USERS" (comments and blanks aside, any case)
//       -> the rows of kUsers, in the ANSI code page
//   "select USERNAME from BROKEN_USERS" -> two rows, then a fetch error
//   any other select -> ORA-00942, anything else -> ORA-00900
//
// Counters for the suites: handles still allocated, calls made with a stale
// or wrong handle, sessions still logged on.
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "../../src/engine/OciApi.h"

namespace {

constexpr const char* kService = "VELTRA";
constexpr const char* kUser = "SYSVELTRA";
constexpr const char* kPassword = "mnpdarvel";

// Windows-1250 bytes: the last name is "KSIĘGOWOŚĆ".
const std::vector<std::string> kUsers = {"SYS", "SYSTEM", "VELTRA_OCHRONA", "VELTRA_RN", "KSI\xCAGOWO\x8C\xC6"};

enum class Kind { Env, Error, SvcCtx, Stmt, Param };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    const Object* owner = nullptr;  // the environment (or statement) it was made under
};

struct ErrorState {
    sb4 code = 0;
    std::string text;
};

struct Env : Object {
    Env() : Object(Kind::Env) {}
    ErrorState last;
};

struct Error : Object {
    Error() : Object(Kind::Error) {}
    ErrorState last;
};

struct SvcCtx : Object {
    SvcCtx() : Object(Kind::SvcCtx) {}
};

struct Define {
    char* buffer = nullptr;
    sb4 size = 0;
    sb2* indicator = nullptr;
    ub2* length = nullptr;
    ub2* code = nullptr;
};

struct Stmt : Object {
    Stmt() : Object(Kind::Stmt) {}
    std::string sql;
    bool prepared = false;
    bool executed = false;
    std::vector<std::string> rows;
    std::size_t failAfter = static_cast<std::size_t>(-1);
    std::size_t next = 0;
    std::vector<Define> defines;
};

struct Param : Object {
    Param() : Object(Kind::Param) {}
    std::string name;
    ub2 size = 0;
};

struct State {
    std::set<Object*> live;
    int misuses = 0;
    int logons = 0;
};

State& Global() {
    static State state;
    return state;
}

template <class T>
T* Track(T* object, const Object* owner = nullptr) {
    object->owner = owner;
    Global().live.insert(object);
    return object;
}

void Release(Object* object) {
    Global().live.erase(object);
    delete object;
}

// The live object behind `handle` when it is of `kind` and its owner still
// lives (freeing an environment ends its children); counts a misuse otherwise.
template <class T>
T* As(const void* handle, Kind kind) {
    auto* object = static_cast<Object*>(const_cast<void*>(handle));
    const auto& live = Global().live;
    if (!handle || !live.count(object) || object->kind != kind ||
        (object->owner && !live.count(const_cast<Object*>(object->owner)))) {
        ++Global().misuses;
        return nullptr;
    }
    return static_cast<T*>(object);
}

sword Fail(Error* error, sb4 code, const char* text) {
    error->last.code = code;
    error->last.text = text;
    return oci::Error;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The statement as the server reads it: comments dropped, blanks collapsed, upper case.
std::string Normalize(std::string_view sql) {
    std::string out;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql.substr(i, 2) == "/*") {
            const std::size_t end = sql.find("*/", i + 2);
            i = end == std::string_view::npos ? sql.size() : end + 1;
            out += ' ';
            continue;
        }
        if (sql.substr(i, 2) == "--") {
            while (i < sql.size() && sql[i] != '\n') ++i;
            out += ' ';
            continue;
        }
        const char c = sql[i];
        const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (blank) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return Upper(out);
}

ub2 StatementType(const std::string& normalized) {
    const std::string first = normalized.substr(0, normalized.find(' '));
    if (first == "SELECT") return oci::StmtSelect;
    if (first == "UPDATE") return 2;
    if (first == "DELETE") return 3;
    if (first == "INSERT") return 4;
    return 0;
}

}  // namespace

extern "C" {

int OciStandinLiveHandles() { return static_cast<int>(Global().live.size()); }
int OciStandinMisuses() { return Global().misuses; }
int OciStandinLogons() { return Global().logons; }

sword OCIEnvCreate(OCIEnv** envhpp, ub4 mode, void* ctxp, void* (*malocfp)(void*, std::size_t),
                   void* (*ralocfp)(void*, void*, std::size_t), void (*mfreefp)(void*, void*), std::size_t xtramem_sz,
                   void** usrmempp) {
    (void)ctxp;
    (void)xtramem_sz;
    if (!envhpp || malocfp || ralocfp || mfreefp || usrmempp || mode != oci::Default) {
        ++Global().misuses;
        return oci::Error;
    }
    *envhpp = reinterpret_cast<OCIEnv*>(static_cast<Object*>(Track(new Env)));
    return oci::Success;
}

sword OCIHandleAlloc(const void* parenth, void** hndlpp, ub4 type, std::size_t xtramem_sz, void** usrmempp) {
    (void)xtramem_sz;
    (void)usrmempp;
    auto* env = As<Env>(parenth, Kind::Env);
    if (!env || !hndlpp) return oci::InvalidHandle;
    Object* object = nullptr;
    if (type == oci::HTypeError) object = Track(new Error, env);
    else if (type == oci::HTypeStmt) object = Track(new Stmt, env);
    else if (type == oci::HTypeSvcCtx) object = Track(new SvcCtx, env);
    else return oci::InvalidHandle;
    *hndlpp = object;
    return oci::Success;
}

sword OCIHandleFree(void* hndlp, ub4 type) {
    Kind kind;
    switch (type) {
        case oci::HTypeEnv: kind = Kind::Env; break;
        case oci::HTypeError: kind = Kind::Error; break;
        case oci::HTypeSvcCtx: kind = Kind::SvcCtx; break;
        case oci::HTypeStmt: kind = Kind::Stmt; break;
        default: ++Global().misuses; return oci::InvalidHandle;
    }
    auto* object = As<Object>(hndlp, kind);
    if (!object) return oci::InvalidHandle;
    Release(object);
    return oci::Success;
}

sword OCIDescriptorFree(void* descp, ub4 type) {
    auto* param = type == oci::DTypeParam ? As<Param>(descp, Kind::Param) : nullptr;
    if (!param) return oci::InvalidHandle;
    Release(param);
    return oci::Success;
}

sword OCILogon(OCIEnv* envhp, OCIError* errhp, OCISvcCtx** svchp, const OraText* username, ub4 uname_len,
               const OraText* password, ub4 passwd_len, const OraText* dbname, ub4 dbname_len) {
    auto* error = As<Error>(errhp, Kind::Error);
    auto* env = As<Env>(envhp, Kind::Env);
    if (!env || !error || !svchp) return oci::InvalidHandle;
    const std::string user(reinterpret_cast<const char*>(username), username ? uname_len : 0);
    const std::string pass(reinterpret_cast<const char*>(password), password ? passwd_len : 0);
    const std::string service(reinterpret_cast<const char*>(dbname), dbname ? dbname_len : 0);
    if (Upper(service) != kService)
        return Fail(error, 12154, "ORA-12154: TNS:could not resolve the connect identifier specified");
    if (Upper(user) != kUser || pass != kPassword)
        return Fail(error, 1017, "ORA-01017: invalid username/password; logon denied");
    *svchp = reinterpret_cast<OCISvcCtx*>(static_cast<Object*>(Track(new SvcCtx, env)));
    ++Global().logons;
    return oci::Success;
}

sword OCILogoff(OCISvcCtx* svchp, OCIError* errhp) {
    auto* svc = As<SvcCtx>(svchp, Kind::SvcCtx);
    if (!svc || !As<Error>(errhp, Kind::Error)) return oci::InvalidHandle;
    Release(svc);
    --Global().logons;
    return oci::Success;
}

sword OCIStmtPrepare(OCIStmt* stmtp, OCIError* errhp, const OraText* stmt, ub4 stmt_len, ub4 language, ub4 mode) {
    auto* statement = As<Stmt>(stmtp, Kind::Stmt);
    auto* error = As<Error>(errhp, Kind::Error);
    if (!statement || !error) return oci::InvalidHandle;
    if (!stmt || language != oci::NtvSyntax || mode != oci::Default) {
        ++Global().misuses;
        return Fail(error, 24333, "ORA-24333: invalid arguments");
    }
    statement->sql.assign(reinterpret_cast<const char*>(stmt), stmt_len);
    statement->prepared = true;
    statement->executed = false;
    statement->defines.clear();
    return oci::Success;
}

sword OCIAttrGet(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype, OCIError* errhp) {
    auto* error = As<Error>(errhp, Kind::Error);
    if (!error || !attributep) return oci::InvalidHandle;
    if (trghndltyp == oci::HTypeStmt) {
        auto* statement = As<Stmt>(trgthndlp, Kind::Stmt);
        if (!statement) return oci::InvalidHandle;
        if (attrtype == oci::AttrStmtType) {
            if (!statement->prepared) return Fail(error, 24337, "ORA-24337: statement handle not prepared");
            *static_cast<ub2*>(attributep) = StatementType(Normalize(statement->sql));
            return oci::Success;
        }
        if (attrtype == oci::AttrParamCount) {
            if (!statement->executed) return Fail(error, 24338, "ORA-24338: statement handle not executed");
            *static_cast<ub4*>(attributep) = 1;
            return oci::Success;
        }
    } else if (trghndltyp == oci::DTypeParam) {
        auto* param = As<Param>(trgthndlp, Kind::Param);
        if (!param) return oci::InvalidHandle;
        if (attrtype == oci::AttrName) {
            *static_cast<const OraText**>(attributep) = reinterpret_cast<const OraText*>(param->name.c_str());
            if (sizep) *sizep = static_cast<ub4>(param->name.size());
            return oci::Success;
        }
        if (attrtype == oci::AttrDataSize) {
            *static_cast<ub2*>(attributep) = param->size;
            return oci::Success;
        }
    }
    ++Global().misuses;
    return Fail(error, 24315, "ORA-24315: illegal attribute type");
}

sword OCIStmtExecute(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff,
                     const OCISnapshot* snap_in, OCISnapshot* snap_out, ub4 mode) {
    (void)rowoff;
    (void)snap_in;
    (void)snap_out;
    auto* statement = As<Stmt>(stmtp, Kind::Stmt);
    auto* error = As<Error>(errhp, Kind::Error);
    if (!As<SvcCtx>(svchp, Kind::SvcCtx) || !statement || !error) return oci::InvalidHandle;
    if (!statement->prepared || mode != oci::Default) {
        ++Global().misuses;
        return Fail(error, 24337, "ORA-24337: statement handle not prepared");
    }
    const std::string sql = Normalize(statement->sql);
    const bool select = StatementType(sql) == oci::StmtSelect;
    if (!select && iters == 0) return Fail(error, 24333, "ORA-24333: zero iteration count");
    if (!select) return Fail(error, 900, "ORA-00900: invalid SQL statement");
    if (iters != 0) {
        // Fetching at execution needs defines, which the driver makes later.
        ++Global().misuses;
        return Fail(error, 24374, "ORA-24374: define not done before fetch or execute and fetch");
    }
    statement->next = 0;
    statement->failAfter = static_cast<std::size_t>(-1);
    if (sql == "SELECT USERNAME FROM DBA_USERS") {
        statement->rows = kUsers;
    } else if (sql == "SELECT USERNAME FROM BROKEN_USERS") {
        statement->rows = kUsers;
        statement->failAfter = 2;
    } else {
        return Fail(error, 942, "ORA-00942: table or view does not exist");
    }
    statement->executed = true;
    return oci::Success;
}

sword OCIParamGet(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos) {
    auto* error = As<Error>(errhp, Kind::Error);
    auto* statement = htype == oci::HTypeStmt ? As<Stmt>(hndlp, Kind::Stmt) : nullptr;
    if (!error || !statement || !parmdpp) return oci::InvalidHandle;
    if (!statement->executed) return Fail(error, 24338, "ORA-24338: statement handle not executed");
    if (pos != 1) return Fail(error, 24334, "ORA-24334: no descriptor for this position");
    auto* param = Track(new Param, statement);
    param->name = "USERNAME";
    param->size = 30;
    *parmdpp = static_cast<Object*>(param);
    return oci::Success;
}

sword OCIDefineByPos(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp, ub4 position, void* valuep, sb4 value_sz,
                     ub2 dty, void* indp, ub2* rlenp, ub2* rcodep, ub4 mode) {
    auto* statement = As<Stmt>(stmtp, Kind::Stmt);
    auto* error = As<Error>(errhp, Kind::Error);
    if (!statement || !error || !defnpp) return oci::InvalidHandle;
    if (!statement->executed) return Fail(error, 24338, "ORA-24338: statement handle not executed");
    if (position != 1) return Fail(error, 1007, "ORA-01007: variable not in select list");
    if (dty != oci::SqltStr || !valuep || value_sz < 1 || mode != oci::Default) {
        ++Global().misuses;
        return Fail(error, 932, "ORA-00932: inconsistent datatypes");
    }
    statement->defines.assign(1, Define{static_cast<char*>(valuep), value_sz, static_cast<sb2*>(indp), rlenp, rcodep});
    // The define handle belongs to the statement; its address is all the caller sees.
    *defnpp = reinterpret_cast<OCIDefine*>(&statement->defines.front());
    return oci::Success;
}

sword OCIStmtFetch2(OCIStmt* stmtp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4 scrollOffset, ub4 mode) {
    (void)scrollOffset;
    auto* statement = As<Stmt>(stmtp, Kind::Stmt);
    auto* error = As<Error>(errhp, Kind::Error);
    if (!statement || !error) return oci::InvalidHandle;
    if (!statement->executed) return Fail(error, 24338, "ORA-24338: statement handle not executed");
    if (statement->defines.empty()) return Fail(error, 24374, "ORA-24374: define not done before fetch or execute and fetch");
    if (nrows != 1 || (orientation != oci::FetchNext && orientation != 0) || mode != oci::Default) {
        ++Global().misuses;
        return Fail(error, 24333, "ORA-24333: invalid arguments");
    }
    if (statement->next >= statement->failAfter)
        return Fail(error, 3113, "ORA-03113: end-of-file on communication channel");
    if (statement->next >= statement->rows.size()) return oci::NoData;

    const std::string& value = statement->rows[statement->next++];
    const Define& define = statement->defines.front();
    const std::size_t room = static_cast<std::size_t>(define.size) - 1;
    const std::size_t copied = value.size() < room ? value.size() : room;
    std::memcpy(define.buffer, value.data(), copied);
    define.buffer[copied] = '\0';
    if (define.length) *define.length = static_cast<ub2>(copied);
    const bool truncated = copied < value.size();
    if (define.indicator) *define.indicator = truncated ? static_cast<sb2>(value.size()) : 0;
    if (define.code) *define.code = truncated ? 1406 : 0;
    return truncated ? oci::SuccessWithInfo : oci::Success;
}

sword OCIErrorGet(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep, OraText* bufp, ub4 bufsiz, ub4 type) {
    (void)sqlstate;
    const ErrorState* last = nullptr;
    if (type == oci::HTypeError) {
        if (auto* error = As<Error>(hndlp, Kind::Error)) last = &error->last;
    } else if (type == oci::HTypeEnv) {
        if (auto* env = As<Env>(hndlp, Kind::Env)) last = &env->last;
    }
    if (!last || !bufp || bufsiz == 0) return oci::InvalidHandle;
    if (recordno != 1 || last->code == 0) return oci::NoData;
    if (errcodep) *errcodep = last->code;
    // The real client ends its text with a line break.
    const std::string text = last->text + "\n";
    const std::size_t n = text.size() < bufsiz - 1 ? text.size() : bufsiz - 1;
    std::memcpy(bufp, text.data(), n);
    bufp[n] = 0;
    return oci::Success;
}

}  // extern "C"
