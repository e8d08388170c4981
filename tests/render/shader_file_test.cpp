#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "host_runner.h"
#include "render/shader_file.h"

namespace {

struct ReaderCase {
  const char* name;
  std::string contents;
  std::string vertex;
  std::string fragment;
};

std::string Repeat(char c, size_t count) { return std::string(count, c); }

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "strobe_shader_file_" + std::to_string(getpid()) + "_" + name;
}

class ShaderFileReader : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ShaderFileReader, SplitsSections) {
  const ReaderCase& c = GetParam();
  const std::string path = TempPath(c.name);
  WriteFile(path, c.contents);
  ShaderSources sources;
  ASSERT_TRUE(ReadShaderFile(path.c_str(), sources));
  EXPECT_EQ(sources.vertex, c.vertex);
  EXPECT_EQ(sources.fragment, c.fragment);
  unlink(path.c_str());
}

const std::string kLongLine = Repeat('x', 600);
const std::string kLongestLine = Repeat('y', 511);
const std::string kBigLine = Repeat('z', 500);

std::string ManyLines(const std::string& line, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line + "\n";
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShaderFileReader,
    ::testing::Values(
        ReaderCase{"lf", "[vertex]\na\nb\n[fragment]\nc\nd\n", "ab", "cd"},
        ReaderCase{"crlf", "[vertex]\r\na\r\nb\r\n[fragment]\r\nc\r\nd\r\n", "ab", "cd"},
        ReaderCase{"fragment_first", "[fragment]\nf\n[vertex]\nv\n", "v", "f"},
        ReaderCase{"repeated_sections", "[vertex]\na\n[fragment]\nb\n[vertex]\nc\n[fragment]\nd\n", "ac", "bd"},
        ReaderCase{"joined_without_separator", "[vertex]\nvoid main()\n{gl_Position = ftransform();}\n",
                   "void main(){gl_Position = ftransform();}", ""},
        ReaderCase{"lines_before_first_section", "uniform float lost;\n\n[fragment]\nkept\n", "", "kept"},
        ReaderCase{"marker_lookalikes_are_source", "[fragment]\n[Vertex]\n[vertex] \n [vertex]\n",
                   "", "[Vertex][vertex]  [vertex]"},
        ReaderCase{"long_line_ends_reading", "[vertex]\na\n[fragment]\nb\n" + kLongLine + "\nc\n[vertex]\nd\n", "a",
                   "b"},
        ReaderCase{"line_of_511_is_kept", "[vertex]\n" + kLongestLine + "\r\n" + kLongestLine + "\n[fragment]\n" +
                                              kLongestLine,
                   kLongestLine + kLongestLine, kLongestLine},
        ReaderCase{"line_of_512_ends_reading", "[vertex]\na\n" + Repeat('q', 512) + "\nb\n", "a", ""},
        ReaderCase{"no_final_line_break", "[vertex]\nv\n[fragment]\nf1\nf2", "v", "f1f2"},
        ReaderCase{"lone_cr_stays_in_line", "[vertex]\na\rb\n", "a\rb", ""},
        ReaderCase{"empty_file", "", "", ""},
        ReaderCase{"section_beyond_100k_grows", "[vertex]\n" + ManyLines(kBigLine, 300) + "[fragment]\nf\n",
                   Repeat('z', 150000), "f"}),
    [](const ::testing::TestParamInfo<ReaderCase>& info) { return std::string(info.param.name); });

TEST(ShaderFileReaderFailure, MissingFileIsNotRead) {
  ShaderSources sources;
  sources.vertex = "stale";
  EXPECT_FALSE(ReadShaderFile(TempPath("does_not_exist").c_str(), sources));
  EXPECT_EQ(sources.vertex, "");
  EXPECT_EQ(sources.fragment, "");
}

TEST(ShaderFileReaderFailure, DirectoryIsNotAShaderFile) {
  ShaderSources sources;
  EXPECT_FALSE(ReadShaderFile(::testing::TempDir().c_str(), sources));
}

}  // namespace
