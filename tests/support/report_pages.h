#pragma once
// Reading the pages a run leaves in informes/ as a person reads them.
#include <string>
#include <vector>

namespace kalvora::test {

// The pages informes/KIND-*.html below the installation directory, by name.
std::vector<std::string> reportPages(const std::string& directory, const std::string& kind);

std::string fileBytes(const std::string& path);

// The text of the page's body without tags, blanks folded.
std::string visibleText(const std::string& page);

// The visible text of the table row whose first cell is item; "" when there is none.
std::string reportRow(const std::string& page, const std::string& item);

}  // namespace kalvora::test
