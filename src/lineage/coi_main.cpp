// lapiro-coi: inbreeding coefficients over all generations for a pedigree in a CSV file.
//
//   lapiro-coi PEDIGREE.csv > coefficients.csv
//
// The file starts with the header "id,sire,dam"; each further line holds three integers
// (sire and dam 0 or empty for unknown). Fields are separated by commas or, as German
// spreadsheets write, by semicolons (the header decides); each may be enclosed in double
// quotes. Parents may come after their young. A parent that is not 0 and has no line of its
// own is one founder animal wherever it is named; how many there were is reported on standard
// error. The output is "id,F" and one line per input line in the order of the input, F to 15
// significant digits. A malformed file is reported with line numbers on standard error and
// nothing is written to standard output. Loops in the parentage are reported on standard
// error and computed as if the closing link were missing.
//
// Exit codes: 0 done (also for --help), 1 malformed file, 2 wrong call or a file that cannot
// be read, 3 the output could not be written.
#include "lineage/pedigree.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Parses one field: empty counts as 0, enclosing double quotes are dropped. Returns false for
// anything but an optional sign and digits that fit into 64 bits.
bool parseId(std::string_view field, long long& value) {
  field = trim(field);
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') field = trim(field.substr(1, field.size() - 2));
  if (field.empty()) {
    value = 0;
    return true;
  }
  if (field.front() == '+') field.remove_prefix(1);
  const char* end = field.data() + field.size();
  auto [ptr, ec] = std::from_chars(field.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// Reads the whole file ("-": standard input). On failure returns false and sets `why` to a
// German reason.
bool readFile(const char* path, std::string& text, const char*& why) {
  auto reason = [](int error) {
    switch (error) {
      case ENOENT: return "Datei nicht vorhanden";
      case EACCES:
      case EPERM: return "keine Leseberechtigung";
      case EISDIR: return "das ist ein Ordner";
      case ENOMEM: return "zu wenig Speicher";
      default: return "Lesefehler";
    }
  };
  FILE* f = std::strcmp(path, "-") == 0 ? stdin : std::fopen(path, "rb");
  if (!f) {
    why = reason(errno);
    return false;
  }
  char buffer[1 << 16];
  size_t n;
  errno = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  const bool ok = !std::ferror(f);
  if (!ok) why = reason(errno);
  if (f != stdin) std::fclose(f);
  return ok;
}

constexpr char kUsage[] =
    "Aufruf: lapiro-coi STAMMBAUM.csv\n"
    "Liest Zeilen \"id,sire,dam\" (auch mit Semikolon getrennt und in Anführungszeichen; 0 oder\n"
    "leer = unbekannt) und schreibt \"id,F\" mit dem Inzuchtkoeffizienten über alle bekannten\n"
    "Generationen. Ein Elterntier ohne eigene Zeile zählt als Gründertier.\n"
    "Rückgabewert: 0 fertig, 1 fehlerhafte Datei, 2 falscher Aufruf oder Datei nicht lesbar,\n"
    "3 Ausgabe fehlgeschlagen.\n";

}  // namespace

int main(int argc, char** argv) {
  using lapiro::lineage::PedigreeRecord;
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return std::fflush(stdout) == 0 ? 0 : 3;
  }
  if (argc != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string text;
  const char* why = "";
  if (!readFile(argv[1], text, why)) {
    std::fprintf(stderr, "lapiro-coi: %s: Datei kann nicht gelesen werden (%s)\n", argv[1], why);
    return 2;
  }

  std::vector<PedigreeRecord> records;
  records.reserve(text.size() / 16);
  std::unordered_map<long long, long long> firstLine;
  int errors = 0;
  auto fail = [&](long long line, const char* what) {
    if (errors < 50) std::fprintf(stderr, "lapiro-coi: Zeile %lld: %s\n", line, what);
    ++errors;
  };

  std::string_view rest(text);
  if (rest.size() >= 3 && static_cast<unsigned char>(rest[0]) == 0xEF) rest.remove_prefix(3);  // BOM
  long long lineNo = 0;
  bool header = false;
  char sep = ',';
  while (!rest.empty()) {
    const size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    rest.remove_prefix(nl == std::string_view::npos ? rest.size() : nl + 1);
    ++lineNo;
    line = trim(line);
    if (!header) {
      std::string h;
      for (char c : line)
        if (c != ' ' && c != '\t' && c != '"') h.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
      if (h == "id;sire;dam") {
        sep = ';';
      } else if (h != "id,sire,dam") {
        fail(lineNo, "Kopfzeile \"id,sire,dam\" oder \"id;sire;dam\" erwartet");
        break;
      }
      header = true;
      continue;
    }
    if (line.empty()) continue;
    const size_t c1 = line.find(sep);
    const size_t c2 = c1 == std::string_view::npos ? c1 : line.find(sep, c1 + 1);
    if (c2 == std::string_view::npos || line.find(sep, c2 + 1) != std::string_view::npos) {
      fail(lineNo, sep == ';' ? "drei Felder id;sire;dam erwartet" : "drei Felder id,sire,dam erwartet");
      continue;
    }
    long long id, sire, dam;
    if (!parseId(line.substr(0, c1), id) || !parseId(line.substr(c1 + 1, c2 - c1 - 1), sire) ||
        !parseId(line.substr(c2 + 1), dam)) {
      fail(lineNo, "ganze Zahlen erwartet");
      continue;
    }
    if (id == 0) {
      fail(lineNo, "id 0 oder leer ist nicht erlaubt");
      continue;
    }
    if (sire != 0 && sire == dam) {
      fail(lineNo, "sire und dam sind dasselbe Tier");
      continue;
    }
    if (!firstLine.emplace(id, lineNo).second) {
      fail(lineNo, "id kommt mehrfach vor");
      continue;
    }
    records.push_back({id, sire, dam});
  }
  if (!header && errors == 0) fail(lineNo ? lineNo : 1, "Kopfzeile \"id,sire,dam\" oder \"id;sire;dam\" fehlt");
  if (errors) {
    if (errors > 50) std::fprintf(stderr, "lapiro-coi: %d fehlerhafte Zeilen insgesamt\n", errors);
    return 1;
  }
  firstLine.clear();
  firstLine.rehash(0);
  text.clear();
  text.shrink_to_fit();

  const lapiro::lineage::Pedigree ped = lapiro::lineage::buildPedigree(records);
  for (const auto& link : ped.brokenLinks)
    std::fprintf(stderr,
                 "lapiro-coi: Schleife: %lld ist als Elternteil von %lld eingetragen, stammt aber von %lld ab; "
                 "die Verbindung wird übergangen\n",
                 static_cast<long long>(link.parent), static_cast<long long>(link.child),
                 static_cast<long long>(link.child));
  if (const size_t count = ped.founderParents.size()) {
    std::string ids;
    for (size_t k = 0; k < count && k < 5; ++k) {
      if (k) ids += ", ";
      ids += std::to_string(static_cast<long long>(ped.founderParents[k]));
    }
    if (count > 5) ids += ", ...";
    std::fprintf(stderr, "lapiro-coi: %zu %s ohne eigene Zeile als %s gezählt: %s\n", count,
                 count == 1 ? "Elterntier" : "Elterntiere", count == 1 ? "Gründertier" : "Gründertiere", ids.c_str());
  }
  const std::vector<double> f = lapiro::lineage::inbreeding(ped);

  std::string out;
  out.reserve(records.size() * 24 + 8);
  out += "id,F\n";
  char buffer[64];
  for (const PedigreeRecord& r : records) {
    const double value = f[ped.indexOf(r.id)];
    const int n = std::snprintf(buffer, sizeof buffer, "%lld,%.15g\n", static_cast<long long>(r.id), value);
    out.append(buffer, static_cast<size_t>(n));
  }
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "lapiro-coi: Ausgabe fehlgeschlagen\n");
    return 3;
  }
  return 0;
}
