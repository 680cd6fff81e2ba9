// make_templates DIR: writes the five page templates into DIR (the build
// runs it; the files are installed with the program, and dpadmin create
// writes the same drawings into a new data directory).
#include <cstdio>
#include <string>

#include "tools/templates/template_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_templates DIR\n", stderr);
    return 2;
  }
  for (const templates::TemplateFile& file : templates::DrawTemplates()) {
    const std::string path = std::string(argv[1]) + "/" + file.name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr ||
        std::fwrite(file.bytes.data(), 1, file.bytes.size(), out) != file.bytes.size() ||
        std::fclose(out) != 0) {
      std::fprintf(stderr, "make_templates: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
