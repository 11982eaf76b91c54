// The .reg text of a key and all its subkeys, in the 8-bit REGEDIT4 form (our
// texts are UTF-8 and pass through unchanged), with CR LF line ends:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\VEXO-SYSTEMS]
//   "Doc"="C:\\Docs\\manual.vxb"
//   @="the unnamed value"
//   "Count"=dword:0000000a
//   "Bytes"=hex:01,ff
//   "Path"=hex(2):25,48,...
//
// Keys come depth first, each with its values in enumeration order. Texts with a
// zero inside, without their terminating zero or with line breaks are written
// as hex(1) so that the file reads back to the same bytes.
#pragma once

#include <ostream>

#include "platform/tools/vxreg/VxRegKeyName.h"

// Writes the export of KEY (open for reading) named NAME; returns the first
// registry error, ERROR_SUCCESS when all went out.
DWORD WriteVxRegExport(std::ostream& out, HKEY key, const VxRegKeyName& name);
