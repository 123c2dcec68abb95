#pragma once
// Run-time libraries. A loaded library is freed when its object goes away.
#include <memory>
#include <string>

#include "base/Exception.h"
#include "base/Text.h"

class TLibrary {
public:
    virtual ~TLibrary() = default;
    // nullptr when the library has no such entry point.
    virtual void* Proc(const char* name) = 0;

    // Typed lookup: Get<decltype(&SQLConnect)>("SQLConnect").
    template <class Fn>
    Fn Get(const char* name) { return reinterpret_cast<Fn>(Proc(name)); }

    // Typed lookup of an entry point the caller cannot do without; raises
    // `missingText` (one %s for the name) when the library lacks it.
    template <class Fn>
    void Resolve(Fn& fn, const char* name, const char* missingText) {
        fn = Get<Fn>(name);
        if (!fn) throw Exception(Format(missingText, {name}));
    }
};

class TLoader {
public:
    virtual ~TLoader() = default;
    // A library of the system (odbc32.dll, netapi32.dll), from the system
    // directory only. nullptr when it cannot be loaded.
    virtual std::unique_ptr<TLibrary> LoadSystemLibrary(const std::string& name) = 0;
    // A library found along PATH (the Oracle client), loaded by its full path.
    // nullptr when it is found nowhere or cannot be loaded.
    virtual std::unique_ptr<TLibrary> LoadPathLibrary(const std::string& name) = 0;
    // The library at an absolute path (the installed engine's, in the folder
    // the registry names), never searched for. nullptr when the path is not
    // absolute, names no file or the file does not load.
    virtual std::unique_ptr<TLibrary> LoadLibraryFile(const std::string& path) = 0;
};
