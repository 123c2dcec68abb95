#include "platform/OdbcApi.h"

#include <cstdint>

TOdbcHandle::~TOdbcHandle() {
    if (handle_ == SQL_NULL_HANDLE) return;
    // Both only clean up: a driver manager without them still browses.
    if (connected_ && api_.Disconnect) api_.Disconnect(handle_);
    if (api_.FreeHandle) api_.FreeHandle(type_, handle_);
}

SQLRETURN TOdbcHandle::Allocate(SQLHANDLE parent) {
    SQLHANDLE handle = SQL_NULL_HANDLE;
    const SQLRETURN rc = api_.AllocHandle(type_, parent, &handle);
    if (SQL_SUCCEEDED(rc)) handle_ = handle;
    return rc;
}

std::optional<TOdbcConnection::TRefusal> TOdbcConnection::Open(bool strict) {
    const auto refused = [strict](SQLRETURN rc) { return strict ? rc != SQL_SUCCESS : !SQL_SUCCEEDED(rc); };
    SQLRETURN rc = Env.Allocate(SQL_NULL_HANDLE);
    if (refused(rc)) return TRefusal{"SQLAllocHandle", rc, SQL_NULL_HANDLE};
    const auto version = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3));
    rc = api_.SetEnvAttr(Env.Get(), SQL_ATTR_ODBC_VERSION, version, 0);
    if (refused(rc)) return TRefusal{"SQLSetEnvAttr", rc, Env.Get()};
    rc = Dbc.Allocate(Env.Get());
    if (refused(rc)) return TRefusal{"SQLAllocHandle", rc, Env.Get()};
    return std::nullopt;
}
