#pragma once
// An engine on the fakes with one connection component and one query, as the
// query and driver suites use it.
#include "engine/Database.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "fakes/DlLoader.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"

struct EngineRig {
    FakeRegistryFactory registry;
    FakeFileSystem files;
    DlLoader loader;
    TSession session{registry, files, loader};
    TDatabase database{session};
    TQuery query{session};
};
