#pragma once
// Run-time libraries. A loaded library is freed when its object goes away.
#include <memory>
#include <string>

class TLibrary {
public:
    virtual ~TLibrary() = default;
    // nullptr when the library has no such entry point.
    virtual void* Proc(const char* name) = 0;

    // Typed lookup: Get<decltype(&SQLConnect)>("SQLConnect").
    template <class Fn>
    Fn Get(const char* name) { return reinterpret_cast<Fn>(Proc(name)); }
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
};
