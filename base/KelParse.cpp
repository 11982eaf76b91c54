#include "base/KelParse.h"

#include "base/KelException.h"

void CKelParse::ThrowSyntaxError(std::uint32_t code, std::string arg1, std::string arg2,
                                 std::string location) {
  throw new CKelException(code, std::move(arg1), std::move(arg2), {}, std::move(location));
}
