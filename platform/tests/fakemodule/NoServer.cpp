// A loadable library that exports none of the entry points of a server.
extern "C" int VxNoServerMarker() { return 1; }
