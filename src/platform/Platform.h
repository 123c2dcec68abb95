#pragma once
// The services the form receives at construction. WinMain passes the real
// ones, the suites pass fakes.
class TRegistryFactory;
class TFileSystem;
class TLoader;
class TOdbcBrowser;
class TServerEnumerator;
class TServiceManager;

struct TPlatform {
    TRegistryFactory& Registry;
    TFileSystem& Files;
    TLoader& Loader;
    // Discovery of SQL Server instances.
    TOdbcBrowser& OdbcBrowser;
    TServerEnumerator& ServerEnumerator;
    TServiceManager& ServiceManager;
};
