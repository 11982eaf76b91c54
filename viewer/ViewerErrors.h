// How the viewer shows a failure of opening or handing over an archive: one
// message box whose text depends on the kind of exception.
#pragma once

#include <functional>
#include <string>

class CKelException;

inline constexpr const char* kViewerCaption = "stow";
inline constexpr const char* kUnknownErrorText = "An unkown error happened";

// "Error Number <code>\r\n\n<arg1>\r\n<arg2> <arg3>".
std::string KelExceptionBoxText(const CKelException& failure);

// Runs ACTION; an exception it raises (CKelException and its kinds, vxs::Exception
// or anything else) is shown in a message box and deleted. False when it failed.
bool RunShowingErrors(const std::function<void()>& action);
