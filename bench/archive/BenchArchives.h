// Archives for the benchmarks, written once into the temporary folder.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bench {

// The paths of COUNT topics of a large documentation set: sections, modules,
// classes and members, named as such sets name them.
std::vector<std::string> DocumentationPaths(std::size_t count);

// Text like that of documentation pages: tags and words; SEED varies it.
std::string PageText(std::size_t size, unsigned seed);

// A path in the temporary folder for NAME.
std::string TemporaryPath(const std::string& name);

}  // namespace bench
