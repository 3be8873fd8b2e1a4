// The shared library exports its public interface and nothing else: every exported symbol is a
// function, class member or class information declared in include/, every function and member
// declared there is exported (each overload), and every such declaration carries KIV_API.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using Counts = std::map<std::string, int>;
struct Declared {
  Counts functions;                      // marked free functions, by name
  std::set<std::string> classes;         // marked classes
  std::map<std::string, Counts> members; // their out-of-line members
  std::vector<std::string> unmarked;     // declarations without the mark
};

std::string withoutSpace(std::string text) {
  std::erase_if(text, [](unsigned char c) { return std::isspace(c); });
  return text;
}

// The name a declaration declares: the identifier (or operator) before its parameter list.
std::string declaredName(const std::string& declaration) {
  const std::string head = declaration.substr(0, declaration.find('('));
  if (head.find("operator") != std::string::npos)
    return withoutSpace(head.substr(head.find("operator")));
  std::smatch m;
  return std::regex_search(head, m, std::regex(R"((~?[A-Za-z_]\w*)\s*$)")) ? m.str(1) : head;
}

// Reads the declarations of one header, without comments, preprocessor lines and string
// literals. Bodies (inline functions, enumerations) are passed over; `extern "C"` blocks are
// transparent.
void readHeader(const fs::path& header, Declared& declared) {
  std::stringstream text;
  text << std::ifstream(header).rdbuf();
  std::string code = text.str();
  for (const char* noise : {R"(/\*[\s\S]*?\*/)", R"(//[^\n]*)", R"((^|\n)\s*#[^\n]*)"})
    code = std::regex_replace(code, std::regex(noise), "\n");
  code = std::regex_replace(code, std::regex(R"("[^"\n]*")"), "\"\"");
  enum Kind { Transparent, Class, Body };
  std::vector<std::tuple<Kind, std::string, bool>> scopes; // kind, class name, marked
  auto kind = [&] { return scopes.empty() ? Transparent : std::get<0>(scopes.back()); };
  bool atNamespace = true;
  std::string statement;
  auto declare = [&](std::string s) {
    s = std::regex_replace(s, std::regex(R"(^\s*((public|protected|private)\s*:\s*)*)"), "");
    if (s.find('(') == std::string::npos ||
        std::regex_search(s, std::regex(R"(^(typedef|using|static_assert|friend)\b)")) ||
        std::regex_search(s, std::regex(R"(=\s*(delete|default|0)\s*$)")))
      return;
    const std::string where = header.filename().string() + ": " + s;
    if (atNamespace && !std::regex_search(s, std::regex(R"(^(inline|static|template)\b)"))) {
      if (s.find("KIV_API") == std::string::npos)
        declared.unmarked.push_back(where);
      else
        ++declared.functions[declaredName(s)];
    } else if (kind() == Class) {
      const auto& [k, name, marked] = scopes.back();
      if (!marked)
        declared.unmarked.push_back(where + " (in class " + name + ")");
      else
        ++declared.members[name][declaredName(s)];
    }
  };
  static const std::regex classHead(R"(^\s*(class|struct)\s+(KIV_API\s+)?(\w+)[^(]*$)");
  for (char c : code) {
    std::smatch m;
    if (kind() == Body && c != '{' && c != '}') continue;
    if (c == '{') {
      if (kind() == Body)
        scopes.push_back({Body, "", false});
      else if (std::regex_search(statement, std::regex(R"(^\s*extern\s*""\s*$)")))
        scopes.push_back({Transparent, "", false});
      else if (std::regex_search(statement, m, classHead)) {
        scopes.push_back({Class, m.str(3), m[2].matched});
        if (m[2].matched) declared.classes.insert(m.str(3));
      } else
        scopes.push_back({Body, "", false});
    } else if (c == '}') {
      if (!scopes.empty()) scopes.pop_back();
    } else if (c == ';') {
      declare(statement);
    } else {
      statement += c;
      continue;
    }
    if (kind() != Body) statement.clear();
    atNamespace = std::all_of(scopes.begin(), scopes.end(),
                              [](const auto& s) { return std::get<0>(s) == Transparent; });
  }
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

  // The library's exported symbols, demangled: "<address> <type> <name>".
  const std::string command = std::string(KIV_NM) + " -DC --defined-only '" KIV_LIBRARY "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_TRUE(pipe);
  std::set<std::string> symbols;
  for (char line[8192]; std::fgets(line, sizeof line, pipe.get());) {
    std::string text = line;
    const std::string::size_type at = text.find(' ', text.find(' ') + 1);
    if (at != std::string::npos) symbols.insert(text.substr(at + 1, text.find('\n') - at - 1));
  }
  ASSERT_FALSE(symbols.empty()) << "no symbols read from " << KIV_LIBRARY;
  Counts functions;
  std::map<std::string, Counts> members;
  static const std::regex classInfo(R"(^(typeinfo name|typeinfo|vtable|VTT) for (\w+)$)");
  for (const std::string& symbol : symbols) {
    std::smatch m;
    if (std::regex_match(symbol, m, classInfo)) {
      EXPECT_TRUE(declared.classes.count(m.str(2))) << "exported, not a public class: " << symbol;
      continue;
    }
    const std::string name = symbol.substr(0, symbol.find('('));
    const std::string::size_type scope = name.rfind("::");
    const std::string owner = scope == std::string::npos ? "" : name.substr(0, scope);
    const std::string member =
        withoutSpace(scope == std::string::npos ? name : name.substr(scope + 2));
    const Counts& known = owner.empty() ? declared.functions : declared.members[owner];
    EXPECT_TRUE(known.count(member)) << "exported, not declared in include/: " << symbol;
    ++(owner.empty() ? functions : members[owner])[member];
  }
  // Each declaration is one exported symbol; constructors and destructors, made in several
  // variants, demangle to one text.
  for (const auto& [name, count] : declared.functions)
    EXPECT_EQ(functions[name], count) << name << ": declared " << count << " times, exported";
  for (const auto& [owner, names] : declared.members)
    for (const auto& [name, count] : names)
      EXPECT_EQ(members[owner][name], count) << owner << "::" << name << ": declared " << count;
}
