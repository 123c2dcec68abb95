/* A library with one entry point, for the loader suite. */
__declspec(dllexport) int PlatformProbeAnswer(void) { return 42; }
