#pragma once
// Run-time libraries on kernel32.
#include "platform/Loader.h"

// The program runs elevated: a DLL planted in the current directory or beside
// it must never be picked up by name. Called first thing at start.
void HardenDllSearch();

class TWin32Loader : public TLoader {
public:
    std::unique_ptr<TLibrary> LoadSystemLibrary(const std::string& name) override;
    std::unique_ptr<TLibrary> LoadPathLibrary(const std::string& name) override;
    std::unique_ptr<TLibrary> LoadLibraryFile(const std::string& path) override;
};
