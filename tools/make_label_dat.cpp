// make_label_dat: writes the label formats delivered with the program as a
// LABEL.DAT file, which the build puts beside the programs and installs
// with them. dpadmin create writes the same formats into a new data
// directory.
#include <cstdio>
#include <fstream>
#include <string>

#include "data/phone/label_table.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_label_dat LABEL.DAT\n", stderr);
    return 2;
  }
  const std::string path = argv[1];
  const std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << LabelFileBytes(StandardLabelFormats());
    out.close();
    if (!out) {
      std::fprintf(stderr, "make_label_dat: cannot write %s\n", temp.c_str());
      return 2;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "make_label_dat: cannot rename %s to %s\n", temp.c_str(), path.c_str());
    return 2;
  }
  return 0;
}
