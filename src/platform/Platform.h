#pragma once
// The services the form receives at construction. WinMain passes the real
// ones, the suites pass fakes.
class TRegistryFactory;
class TFileSystem;
class TLoader;

struct TPlatform {
    TRegistryFactory& Registry;
    TFileSystem& Files;
    TLoader& Loader;
};
