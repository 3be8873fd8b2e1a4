// The example programs of examples/, built against an installed copy of the library
// (ExamplesBuild.cmake), run as child processes: on real files in a fresh folder, against a real
// server on 127.0.0.1, with real catalogs, with and without a display.
#include "TestSupport.h"
#include "WebTestServer.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

using kivtest::TempDir;

namespace {

struct Outcome {
  bool exited = false; // by itself, within the time allowed
  int status = -1;
  std::string out, err;
  bool ended(int expected) const { return exited && status == expected; }
};

// Runs the example `name` with `args` and this process's environment less `unset`, plus `set`.
Outcome runExample(const char* name, const QStringList& args, const QStringList& set = {},
                   const QStringList& unset = {}, int msecs = 60000) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const QString& n : unset)
    env.remove(n);
  // The examples may be built with the sanitizers; the libraries they load keep caches the leak
  // checker cannot see through, and the library's own tests check its leaks.
  env.insert("ASAN_OPTIONS", "detect_leaks=0");
  for (const QString& e : set)
    env.insert(e.section('=', 0, 0), e.section('=', 1));
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(QString(KIV_EXAMPLES_DIR) + "/" + name, args);
  const bool exited = p.waitForFinished(msecs) && p.exitStatus() == QProcess::NormalExit;
  if (!exited) p.kill(), p.waitForFinished();
  return {exited, p.exitCode(), p.readAllStandardOutput().toStdString(),
          p.readAllStandardError().toStdString()};
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

} // namespace

TEST(Examples, SettingsAreWrittenReadBackAndEditedInThePreferencesFolder) {
  TempDir config;
  Outcome r =
      runExample("settings", {}, {"XDG_CONFIG_HOME=" + QString::fromStdString(config.str())});
  ASSERT_TRUE(r.ended(0)) << r.err;
  const size_t edited = r.out.find("-- edited");
  ASSERT_NE(edited, std::string::npos) << r.out;
  const std::string first = r.out.substr(0, edited), second = r.out.substr(edited);
  const std::string file = kivtest::readFile(config.path() / "kiv-example-settings.xml");
  // What the output, before and after the edit, and the file hold, or (with '!') do not hold.
  const std::pair<const std::string&, const char*> rows[] = {
      {first, "size: 640 x 480\n"},
      {first, "background: 65535 65535 52428\n"},
      {first, "owner: Ren\xC3\xA9\n"},
      {first, "recent file: /home/ren/report.xml\n"},
      {first, "saved: "},
      {second, "size: 800 x 480\n"},
      {second, "owner: Ren\xC3\xA9\n"},
      {second, "theme: dark\n"},
      {second, "!saved:"},
      {file, "\t<width>800</width>\n"},
      {file, "\t<owner>Ren\xC3\xA9</owner>\n"},
      {file, "!<saved>"}};
  for (const auto& [text, line] : rows)
    EXPECT_EQ(*line != '!', contains(text, line + (*line == '!'))) << line << " in:\n" << text;

  // A preferences folder that does not exist is not created: the program says so and fails.
  r = runExample("settings", {},
                 {"XDG_CONFIG_HOME=" + QString::fromStdString(config.str()) + "/no"});
  EXPECT_TRUE(r.ended(1)) << r.err;
  EXPECT_TRUE(contains(r.err, "the preferences folder cannot be found")) << r.err;
}

TEST(Examples, KivconvConvertsToUtf8OrNamesTheFirstByteThatDoesNot) {
  TempDir dir;
  const std::string nihongo = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"; // three kanji in UTF-8
  const struct {
    const char* input;
    QStringList options;
    int status;
    std::string out; // the whole standard output
    const char* err; // a part of standard error
  } rows[] = {
      {"Hello \x93\xFA\x96\x7B\x8C\xEA\n", {}, 0, "Hello " + nihongo + "\n", ""}, // Shift-JIS
      {"Hello \xC6\xFC\xCB\xDC\xB8\xEC\n", {}, 0, "Hello " + nihongo + "\n", ""}, // EUC-JP
      {"caf\xC3\xA9 \xE2\x82\xAC\n", {}, 0, "caf\xC3\xA9 \xE2\x82\xAC\n", ""},    // UTF-8
      {"caf\x8E", {"--from", "macroman"}, 0, "caf\xC3\xA9", ""},
      {"\x80 5", {"--from=cp1252"}, 0, "\xE2\x82\xAC 5", ""},
      {"\x1B$BF|K\\8l\x1B(B", {}, 2, "", "JIS (ISO-2022-JP) text; the string service has no"},
      {"abc \xE6\x97\xA5 \xFF end", {"--from", "utf8"}, 1, "", "byte 8 (0xFF) does not convert"},
      {"abc\x82", {"--from", "sjis"}, 1, "", "not Shift-JIS text: byte 3 (0x82)"},
      {"abc", {"--from", "latin9"}, 2, "", "usage:"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.input);
    const std::string path = dir.write("input.txt", row.input).string();
    Outcome r = runExample("kivconv", QStringList(row.options) << QString::fromStdString(path));
    EXPECT_TRUE(r.ended(row.status)) << r.status << " " << r.err;
    EXPECT_EQ(r.out, row.out);
    EXPECT_TRUE(contains(r.err, row.err)) << r.err;
  }
}

TEST(Examples, FetchLoadsTheAnswerOrFailsWithinItsTimeOut) {
  systemtest::WebTestServer server({systemtest::httpResponse(200, "hello from 127.0.0.1\n"),
                                    systemtest::httpResponse(404, "no such page\n")});
  Outcome r = runExample("fetch", {QString::fromStdString(server.url("/greeting")), "5"});
  EXPECT_TRUE(r.ended(0)) << r.err;
  EXPECT_EQ(r.out, "hello from 127.0.0.1\n");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /greeting HTTP/1.1\r\n", 0), 0u)
      << server.requests()[0];

  // An error page is an answer too.
  r = runExample("fetch", {QString::fromStdString(server.url("/missing"))});
  EXPECT_TRUE(r.ended(0)) << r.err;
  EXPECT_EQ(r.out, "no such page\n");

  // A server that never answers (a refused connection fails the same call the same way).
  systemtest::WebTestServer silent({}, true);
  const auto start = std::chrono::steady_clock::now();
  r = runExample("fetch", {QString::fromStdString(silent.url("/")), "1"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  EXPECT_TRUE(r.ended(1));
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(contains(r.err, "no answer")) << r.err;
}

TEST(Examples, AskPutsTheLocalizedQuestionWithOrWithoutADisplay) {
  // Without a display the library writes the question to the console log and answers with the
  // cancel button.
  const QStringList noDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
  Outcome r = runExample("ask", {"Bericht.txt"}, {"LC_ALL=C.UTF-8", "LANGUAGE=de"}, noDisplay);
  EXPECT_TRUE(r.ended(1)) << r.err;
  EXPECT_EQ(r.out, "do not save\n");
  EXPECT_TRUE(contains(r.err, "Alert \"Ungesicherte \xC3\x84nderungen\": \xC3\x84nderungen an "
                              "\xE2\x80\x9E"
                              "Bericht.txt\xE2\x80\x9C vor dem Schlie\xC3\x9F"
                              "en sichern? [Sichern] [Nicht sichern]"))
      << r.err;

  // On a display the alert is shown; nobody answers, and the program's time-out closes it.
  const auto start = std::chrono::steady_clock::now();
  r = runExample("ask", {"--timeout", "1"},
                 {"LC_ALL=C.UTF-8", "LANGUAGE=en", "QT_QPA_PLATFORM=offscreen"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_TRUE(r.ended(1)) << r.err;
  EXPECT_EQ(r.out, "do not save\n");
  EXPECT_TRUE(contains(r.err, "ask: no answer to \"Unsaved changes\" after 1 s")) << r.err;
}
