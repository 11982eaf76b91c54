// Which code page the process's file functions use. On the original platform a
// console program could switch its file functions to the OEM code page; the
// parsers ask this to decide whether the no-break space is a blank. On this
// platform the ANSI code page is UTF-8, and ANSI is the default.
#pragma once

bool AreFileApisANSI();
void SetFileApisToANSI();
void SetFileApisToOEM();
