#include "engine/Database.h"

#include "engine/Session.h"

TDatabase::TDatabase(TSession& session) : session_(session) { session_.RegisterDatabase(this); }

TDatabase::~TDatabase() { session_.UnregisterDatabase(this); }
