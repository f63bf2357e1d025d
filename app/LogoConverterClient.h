#pragma once
// The one call the picture dialog makes into the LogoConverter component.

#include <string>

namespace app {

// Initialises the component runtime for this thread, creates LogoConverter
// through the registry and calls its Convert with the three texts, then
// releases it. False when the object could not be created.
bool RunLogoConverter(const std::string& logoFiles, const std::string& outputDir,
                      const std::string& programFolder);

} // namespace app
