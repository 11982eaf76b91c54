// The memory that GTK, WebKit and the libraries below them keep for the life
// of the process (type tables, caches, the display connection, D-Bus): nothing
// frees it at exit. Programs and tests that run the toolkit hand this list to
// LeakSanitizer, so that only their own leaks are reported:
//
//   extern "C" const char* __lsan_default_suppressions() { return kToolkitLeaks; }
#pragma once

inline constexpr const char* kToolkitLeaks =
    "leak:libglib-2.0.so\n"
    "leak:libgobject-2.0.so\n"
    "leak:libgio-2.0.so\n"
    "leak:libgtk-3.so\n"
    "leak:libgdk-3.so\n"
    "leak:libgdk_pixbuf-2.0.so\n"
    "leak:libatk-1.0.so\n"
    "leak:libatk-bridge-2.0.so\n"
    "leak:libatspi.so\n"
    "leak:libpango-1.0.so\n"
    "leak:libpangocairo-1.0.so\n"
    "leak:libpangoft2-1.0.so\n"
    "leak:libcairo.so\n"
    "leak:libfontconfig.so\n"
    "leak:libfreetype.so\n"
    "leak:libharfbuzz.so\n"
    "leak:libX11.so\n"
    "leak:libdbus-1.so\n"
    "leak:libwebkit2gtk-4.1.so\n"
    "leak:libjavascriptcoregtk-4.1.so\n"
    "leak:libsoup-3.0.so\n"
    "leak:libepoxy.so\n"
    "leak:libEGL\n"
    "leak:libGL\n";
