// The message table of the programs that carry it: the texts of base/messages/*.txt,
// embedded at build time. A program calls InstallMessageTable once at start; a
// program that does not reports every code without table text.
#pragma once

// Makes the embedded texts the program's message table (LoadMessageText).
void InstallMessageTable();
