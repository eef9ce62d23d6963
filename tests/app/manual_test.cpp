// The user manual that Help opens: the build puts it beside the programs
// (<build>/manual/index.html, which the programs' data-file lookup finds)
// together with every picture it shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "base/data_files.h"

TEST(Manual, LiesBesideTheProgramsWithEveryPictureItShows) {
  // Test programs run from <build>/tests; the programs sit in <build>.
  const std::filesystem::path manual = ExecutableFolder().parent_path() / "manual";
  std::ifstream file(manual / "index.html");
  ASSERT_TRUE(file) << manual;
  std::stringstream html;
  html << file.rdbuf();
  const std::string text = html.str();
  const std::regex image(R"(<img src="([^"]+)\")");
  int pictures = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), image); it != std::sregex_iterator();
       ++it, ++pictures) {
    EXPECT_TRUE(std::filesystem::is_regular_file(manual / (*it)[1].str())) << (*it)[1];
  }
  EXPECT_GT(pictures, 0);
}
