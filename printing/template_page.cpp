#include "printing/template_page.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include "printing/metafile/metafile_player.h"
#include "printing/metafile/metafile_reader.h"
#include "printing/metafile/template_layout.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool AddPage(PrintOutcome& outcome, const PageOutcome& page) {
  ++outcome.pages;
  for (const std::string& note : page.notes) {
    if (std::find(outcome.notes.begin(), outcome.notes.end(), note) == outcome.notes.end())
      outcome.notes.push_back(note);
  }
  if (page.ok) return true;
  outcome.ok = false;
  outcome.message = page.message;
  return false;
}

bool StartNextPage(PrintTarget& target, PrintOutcome& outcome) {
  if (target.newPage()) return true;
  outcome.ok = false;
  outcome.message = "Printing stopped.";
  return false;
}

std::string TemplatePath(const std::string& dataDirectory, const std::string& file) {
  return dataDirectory + file;
}

PageOutcome PrintTemplatePage(PrintTarget& target, const std::string& path,
                              const HandlerTable& handlers) {
  PageOutcome outcome;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    outcome.ok = false;
    outcome.message = "Could not open page template " + path + ".";
    return outcome;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  wmf::Metafile file;
  if (in.bad() || !wmf::ReadMetafile(bytes.data(), bytes.size(), &file)) {
    outcome.ok = false;
    outcome.message = "Error in file.";
    return outcome;
  }
  const wmf::TemplateLayout layout = wmf::LayOutTemplate(file);
  QPainter& painter = *target.painter;
  const double unit = TemplateUnit(target.page);
  const PlayResult played = PlayTemplate(
      painter, target.page, file, layout,
      [&](const wmf::Step& label, const QRectF& region, std::string* message) {
        const std::string name = Upper(label.name);
        const auto handler = std::find_if(handlers.begin(), handlers.end(),
                                          [&](const auto& entry) { return entry.first == name; });
        if (handler == handlers.end()) {
          outcome.notes.push_back("Unknown region name ~" + label.name + "^ in " + FileName(path) +
                                  ".");
          return true;
        }
        RegionFill fill{painter, region, name, label.size, unit, &outcome.anotherPage, message};
        return handler->second(fill);
      });
  if (!played.ok) {
    outcome.ok = false;
    outcome.message = played.message;
  }
  return outcome;
}
