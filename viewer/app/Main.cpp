// stow: the archive viewer.
//
//   stow [ARCHIVE | vexost:URL]
//   stow /Regserver | /Unregserver     write or remove the shell settings
//
// The archive is handed to the reader module, which serves its pages to the
// window's embedded browser under vexost: URLs.
#include "viewer/app/SwDocViewerApp.h"

namespace {
CSwDocViewerApp theApp;
}

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
