// The shared library exports its public interface and nothing else: every symbol that libkiv.so
// exports is a function, class member or class information declared in include/, every
// function and member declared there is exported (each overload), and every declaration there
// that the library defines carries KIV_API.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// What the public headers declare.
struct Declared {
  std::map<std::string, int> functions;                      // marked free functions, by name
  std::set<std::string> classes;                             // marked classes
  std::map<std::string, std::map<std::string, int>> members; // their out-of-line members
  std::vector<std::string> unmarked;                         // functions without the mark
};

std::string withoutSpace(const std::string& text) {
  std::string out;
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) out += c;
  return out;
}

// The name a declaration declares: the identifier (or operator) before its parameter list.
std::string declaredName(const std::string& declaration) {
  const std::string head = declaration.substr(0, declaration.find('('));
  const std::string::size_type op = head.find("operator");
  if (op != std::string::npos) return withoutSpace(head.substr(op));
  static const std::regex last(R"((~?[A-Za-z_]\w*)\s*$)");
  std::smatch m;
  return std::regex_search(head, m, last) ? m.str(1) : head;
}

// The header's text without comments, preprocessor lines and string literals.
std::string codeOf(const fs::path& header) {
  std::ifstream in(header);
  std::stringstream text;
  text << in.rdbuf();
  std::string code = std::regex_replace(text.str(), std::regex(R"(/\*[\s\S]*?\*/)"), " ");
  code = std::regex_replace(code, std::regex(R"(//[^\n]*)"), "");
  code = std::regex_replace(code, std::regex(R"((^|\n)\s*#[^\n]*)"), "\n");
  return std::regex_replace(code, std::regex(R"("[^"\n]*")"), "\"\"");
}

// Reads the declarations of one header. Bodies (inline functions, enumerations) are passed
// over; `extern "C"` blocks are transparent.
void readHeader(const fs::path& header, Declared& declared) {
  const std::string code = codeOf(header);
  struct Scope {
    enum Kind { Transparent, Class, Body } kind;
    std::string name;
    bool marked;
  };
  std::vector<Scope> scopes;
  std::string statement;
  auto inClass = [&] { return !scopes.empty() && scopes.back().kind == Scope::Class; };
  auto atNamespace = [&] {
    for (const Scope& s : scopes)
      if (s.kind != Scope::Transparent) return false;
    return true;
  };
  auto declare = [&](std::string text) {
    text = std::regex_replace(text, std::regex(R"(^\s*((public|protected|private)\s*:\s*)*)"), "");
    if (text.find('(') == std::string::npos ||
        std::regex_search(text, std::regex(R"(^(typedef|using|static_assert|friend)\b)")) ||
        std::regex_search(text, std::regex(R"(=\s*(delete|default|0)\s*$)")))
      return;
    const std::string where = header.filename().string() + ": " + text;
    if (atNamespace()) {
      if (std::regex_search(text, std::regex(R"(^(inline|static|template)\b)"))) return;
      if (text.find("KIV_API") == std::string::npos)
        declared.unmarked.push_back(where);
      else
        ++declared.functions[declaredName(text)];
    } else if (inClass()) {
      if (!scopes.back().marked)
        declared.unmarked.push_back(where + " (in class " + scopes.back().name + ")");
      else
        ++declared.members[scopes.back().name][declaredName(text)];
    }
  };
  static const std::regex classHead(R"(^\s*(class|struct)\s+(KIV_API\s+)?(\w+)[^(]*$)");
  for (char c : code) {
    if (!scopes.empty() && scopes.back().kind == Scope::Body) {
      if (c == '{') scopes.push_back({Scope::Body, "", false});
      if (c == '}') scopes.pop_back();
      if (c == '}' && (scopes.empty() || scopes.back().kind != Scope::Body)) statement.clear();
      continue;
    }
    std::smatch m;
    if (c == '{') {
      if (std::regex_search(statement, std::regex(R"(^\s*extern\s*""\s*$)"))) {
        scopes.push_back({Scope::Transparent, "", false});
      } else if (std::regex_search(statement, m, classHead)) {
        scopes.push_back({Scope::Class, m.str(3), m[2].matched});
        if (m[2].matched) declared.classes.insert(m.str(3));
      } else {
        scopes.push_back({Scope::Body, "", false});
      }
      statement.clear();
    } else if (c == '}') {
      if (!scopes.empty()) scopes.pop_back();
      statement.clear();
    } else if (c == ';') {
      declare(statement);
      statement.clear();
    } else {
      statement += c;
    }
  }
}

// The library's exported symbols, demangled, each once.
std::set<std::string> exportedSymbols(const std::string& library) {
  std::set<std::string> symbols;
  const std::string command = std::string(KIV_NM) + " -DC --defined-only '" + library + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return symbols;
  char line[8192];
  while (std::fgets(line, sizeof line, pipe.get())) {
    std::string text = line;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    // "<address> <type> <name>"
    const std::string::size_type at = text.find(' ', text.find(' ') + 1);
    if (at != std::string::npos) symbols.insert(text.substr(at + 1));
  }
  return symbols;
}

} // namespace

TEST(ExportedSymbols, AreThePublicInterfaceWhole) {
  Declared declared;
  for (const fs::path folder :
       {fs::path(KIV_SOURCE_DIR) / "include", fs::path(KIV_SOURCE_DIR) / "include" / "detail"})
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == ".h") readHeader(entry.path(), declared);
  ASSERT_GT(declared.functions.size(), 100u) << "the public headers were not read";

  for (const std::string& text : declared.unmarked)
    ADD_FAILURE() << "declared without KIV_API: " << text;

  const std::set<std::string> symbols = exportedSymbols(KIV_LIBRARY);
  ASSERT_FALSE(symbols.empty()) << "no symbols read from " << KIV_LIBRARY;
  std::map<std::string, int> functions;
  std::map<std::string, std::map<std::string, int>> members;
  static const std::regex classInfo(R"(^(typeinfo name|typeinfo|vtable|VTT) for (\w+)$)");
  for (const std::string& symbol : symbols) {
    std::smatch m;
    if (std::regex_match(symbol, m, classInfo)) {
      EXPECT_TRUE(declared.classes.count(m.str(2))) << "exported, not a public class: " << symbol;
      continue;
    }
    const std::string name = symbol.substr(0, symbol.find('('));
    const std::string::size_type scope = name.rfind("::");
    if (scope == std::string::npos) {
      EXPECT_TRUE(declared.functions.count(withoutSpace(name)))
          << "exported, not declared in include/: " << symbol;
      ++functions[withoutSpace(name)];
      continue;
    }
    const std::string owner = name.substr(0, scope), member = withoutSpace(name.substr(scope + 2));
    EXPECT_TRUE(declared.members.count(owner) && declared.members.at(owner).count(member))
        << "exported, not declared in include/: " << symbol;
    ++members[owner][member];
  }

  // Each declaration is one exported symbol; constructors and destructors, made in several
  // variants, demangle to one text.
  for (const auto& [name, count] : declared.functions)
    EXPECT_EQ(functions[name], count)
        << name << ": declared " << count << " times, exported " << functions[name];
  for (const auto& [owner, names] : declared.members)
    for (const auto& [name, count] : names)
      EXPECT_EQ(members[owner][name], count) << owner << "::" << name << ": declared " << count
                                             << " times, exported " << members[owner][name];
}
