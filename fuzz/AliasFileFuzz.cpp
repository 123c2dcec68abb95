// The engine's configuration file through the session, as the program starts
// it: a file that loads is saved and loaded again into the same aliases and
// entries, and the second save is the first; a file that does not load
// starts no session and is never written, also not by a later save.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "engine/AliasStore.h"
#include "engine/Session.h"
#include "fakes/DlLoader.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kPath = "C:\\BDE\\idapi.cfg";

[[noreturn]] void Fault(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.c_str());
    std::abort();
}

// The registry names the file and no engine library: our own backend reads it.
struct Engine {
    FakeRegistryFactory registry;
    DlLoader loader;
    TSession session;

    explicit Engine(FakeFileSystem& files) : session(registry, files, loader) {
        registry.SetString(reg::HKeyLocalMachine, "\\SOFTWARE\\Borland\\Database Engine", "CONFIGFILE01", kPath);
    }
    bool Start() {
        try {
            session.SetConfigMode(cmPersistent);
            return true;
        } catch (const Exception&) {
            return false;
        }
    }
};

// Every alias as the session reports it: name, driver, parameters.
std::vector<std::string> Described(TSession& session) {
    TStringList names;
    session.GetAliasNames(names);
    std::vector<std::string> out;
    for (const std::string& name : names.Lines()) {
        out.push_back("[" + name + "] " + session.GetAliasDriverName(name));
        TStringList params;
        session.GetAliasParams(name, params);
        for (const std::string& line : params.Lines()) out.push_back(line);
    }
    return out;
}

// The store's own view, every entry included (the session hides some of a
// file-based alias's).
std::vector<std::string> Stored(const std::string& text) {
    TAliasStore store;
    store.Load(text, kPath);
    std::vector<std::string> out;
    for (const std::string& name : store.Names()) {
        const TAlias& alias = *store.Find(name);
        out.push_back("[" + alias.Name + "] " + alias.Driver);
        for (const std::string& line : alias.Params.Lines()) out.push_back(line);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FakeFileSystem files;
    files.AddFile(kPath, bytes);

    Engine first(files);
    if (!first.Start()) {
        try {
            first.session.SaveConfigFile();
            Fault("a session that did not start saved");
        } catch (const Exception&) {
        }
        if (first.Start()) Fault("a file that did not load loads at the second try");
        if (files.WriteAttempts() != 0 || files.Bytes(kPath) != bytes) Fault("a file that did not load was written");
        return 0;
    }

    const std::vector<std::string> before = Described(first.session);
    first.session.SaveConfigFile();
    const std::string saved = files.Bytes(kPath);
    std::vector<std::string> stored;
    try {
        stored = Stored(saved);
    } catch (const Exception& e) {
        Fault("the saved file does not load", e.Message());
    }
    if (stored != Stored(bytes)) Fault("the saved file holds other aliases or entries");

    Engine second(files);
    if (!second.Start()) Fault("the saved file does not start a session");
    if (Described(second.session) != before) Fault("the session reads other aliases back");
    second.session.SaveConfigFile();
    if (files.Bytes(kPath) != saved) Fault("a second save writes other bytes");
    return 0;
}
