// Writing documents: layout, refusals, codes without a writer, capacities, dates, where the file
// goes, and replacing the previous file only once the new one is complete.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "KIVStr.h"
#include "WinFSRef.h"
#include "XmlSupport.h"

namespace fs = std::filesystem;
using namespace xmltest;

namespace {

FSRef refTo(const std::string& path) {
  FSRef ref;
  EXPECT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &ref, nullptr), 0);
  return ref;
}

using XmlWrite = WriterTest;

} // namespace

TEST_F(XmlWrite, LayoutEscapingAndRefusals) {
  EXPECT_EQ(xml.SetDTD("cfg", "-//Kiv//Cfg//EN", "cfg.dtd"), 0);
  for (int round = 0; round < 2; ++round) // the declaration survives CloseDoc
    EXPECT_EQ(closed(xml.CreateDoc(file.c_str(), "cfg", false), file),
              kHeader + "<!DOCTYPE cfg\nPUBLIC \"-//Kiv//Cfg//EN\"\n       \"cfg.dtd\">\n<cfg/>\n");
  xml.SetDTD("", "", "");
  ASSERT_EQ(xml.CreateDoc(file.c_str(), "r", false), 0);
  // "%d %s" is written literally; an empty formatted attribute writes nothing.
  expectAll(0, {xml.AddNode("empty", ""), xml.AddNode("Esc", "a&b<c>d"), xml.StartSection("none"),
                xml.EndSection(), xml.AddNodeWithAttr("n", "v", "id", "50%"), xml.StartElement("e"),
                xml.AddSectionAttribute("a", "%d %s"),
                xml.AddSectionAttributeFormat("b", "%d-%s", 7, "x"),
                xml.AddSectionAttributeFormat("c", "%s", ""), xml.AddElementTextFormat("t%d", 1)});
  EXPECT_EQ(xml.AddSectionAttribute("late", "x"), -15); // after text
  EXPECT_EQ(xml.EndElement(), 0);
  EXPECT_EQ(xml.AddNodeFormat("f", "%s", ""), -9);
  // What would leave a file no parser accepts is refused: bytes that are not UTF-8 (raw Mac
  // Roman, an encoded surrogate), control characters, malformed names.
  expectAll(-8, {xml.AddNode("bad", "caf\x8E"), xml.AddNode("bad", "a\x01"),
                 xml.AddNode("bad", "\xED\xA0\x80"), xml.AddNode("a b", "x"),
                 xml.AddNodeWithAttr("bad", "\xFF", "k", "v")});
  EXPECT_EQ(xml.StartSection("1x"), -10);
  EXPECT_EQ(xml.StartSection("bad"), 0);
  expectAll(-15, {xml.AddSectionAttribute("k", "\xC3"), xml.AddSectionAttribute("k k", "v")});
  EXPECT_EQ(xml.AddElementTextFormat("%c", 2), 16);
  EXPECT_EQ(xml.EndSection(), 0);
  // Capacities are refused, not cut: 511 bytes of formatted text, 299 of a path or Mac Roman
  // text as UTF-8 (300 "e acute" take 600 bytes).
  const std::string s299(299, 'p'), s300(300, 'p'), s511(511, 'a'), s512(512, 'a');
  expectAll(0,
            {xml.AddNodeFormat("f511", "%s", s511.c_str()), xml.AddNodePath("p299", s299.c_str()),
             xml.AddRomanStringNode("r299", s299.c_str()), xml.AddRomanStringNode("e", "\x8E")});
  expectAll(-9, {xml.AddNodeFormat("f512", "%s", s512.c_str()),
                 xml.AddNodeFormat("fu", "%s", std::string(300, '\x8E').c_str())});
  expectAll(-8,
            {xml.AddNodePath("p300", s300.c_str()), xml.AddRomanStringNode("r300", s300.c_str()),
             xml.AddRomanStringNode("ru", std::string(150, '\x8E').c_str())});
  ASSERT_EQ(xml.StartSection("s"), 0);
  EXPECT_EQ(xml.AddSectionAttributeFormat("long", "%s", s512.c_str()), -15);
  EXPECT_EQ(xml.AddElementTextFormat("%s", s512.c_str()), 16);
  expectAll(0, {xml.StartSection("open1"), xml.AddNodeBase64("b64", "hello")});
  xml.CloseDoc(); // ends open1, s and the root
  EXPECT_EQ(xml.writer, nullptr);
  EXPECT_EQ(readFile(file),
            kHeader +
                "<r>\n\t<empty></empty>\n\t<Esc>a&amp;b&lt;c&gt;d</Esc>\n"
                "\t<none/>\n\t<n id=\"50%\">v</n>\n\t<e a=\"%d %s\" b=\"7-x\">t1</e>\n"
                "\t<bad/>\n\t<f511>" +
                s511 + "</f511>\n\t<p299>" + s299 + "</p299>\n\t<r299>" + s299 +
                "</r299>\n\t<e>\xC3\xA9</e>\n"
                "\t<s>\n\t\t<open1>\n\t\t\t<b64>aGVsbG8=</b64>\n\t\t</open1>\n"
                "\t</s>\n</r>\n");
  // Without a writer.
  unsigned char p[] = {1, 'x'};
  expectAll(
      -8, {xml.AddNode("a", "b"), xml.AddNodeWithAttr("a", "b", "c", "d"), xml.StartSection("a"),
           xml.StartElement("a"), xml.EndSection(), xml.EndElement(), xml.AddNodeBase64("a", "b"),
           xml.AddPNode("a", p), xml.AddRomanStringNode("a", "b"), xml.AddRomanPStringNode("a", p),
           xml.AddDateStringNodeN("a", 0, true, true), xml.AddRGBColor("a", RGBColor{1, 2, 3}),
           xml.AddNodeFormat("a", "%d", 1), xml.AddNodePath("a", "/b")});
  expectAll(-15, {xml.AddSectionAttribute("a", "b"), xml.AddSectionAttributeFormat("a", "%d", 1)});
  EXPECT_EQ(xml.AddElementTextFormat("%d", 1), 16);
  EXPECT_EQ(xml.AddElementTextFormat("%s", ""), 0);
  EXPECT_EQ(xml._ImportTree(&xml, nullptr), -12);
}

TEST_F(XmlWrite, ReplacesOnlyWhenComplete) {
  dir.write("doc.xml", "old settings");
  pid_t child = fork(); // a process killed while writing leaves the file as it was
  if (child == 0) {
    KivXML* dying = new KivXML;
    dying->CreateDoc(file.c_str(), "dying", false);
    dying->AddNode("b", std::string(10000, 'b').c_str());
    kill(getpid(), SIGKILL);
  }
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(readFile(file), "old settings");
  EXPECT_EQ(entriesOf(dir.path()).size(), 2u); // its temporary file stays
  for (const auto& entry : fs::directory_iterator(dir.path()))
    if (entry.path() != file) fs::remove(entry.path());
  ASSERT_EQ(xml.CreateDoc(file.c_str(), "r", false), 0);
  EXPECT_EQ(xml.AddNode("a", "1"), 0);
  EXPECT_EQ(readFile(file), "old settings"); // untouched until the document is complete
  const std::string doc = kHeader + "<r>\n\t<a>1</a>\n</r>\n";
  EXPECT_EQ(closed(file), doc);
  // A failed CreateDoc (no root name, a bad one) keeps the previous file.
  EXPECT_EQ(xml.CreateDoc(file.c_str(), "", false), -8);
  EXPECT_NE(xml.writer, nullptr);
  xml.CloseDoc();
  EXPECT_EQ(xml.CreateDoc(file.c_str(), "a b", false), -8);
  EXPECT_EQ(closed(file), doc);
  // Where no file can be created: no writer, and nothing left behind.
  for (std::string where : {(dir.path() / "missing/x.xml").string(), dir.str(), std::string()})
    EXPECT_EQ(xml.CreateDoc(where.c_str(), "r", false), -7) << where;
  EXPECT_EQ(xml.writer, nullptr);
  ASSERT_EQ(chmod(file.c_str(), 0440), 0); // a file this process may not write stays as it is
  EXPECT_EQ(xml.CreateDoc(file.c_str(), "r", false), getuid() == 0 ? 0 : -7);
  xml.CloseDoc();
  EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"doc.xml"});
  // A relative path stays bound to the folder it was given in.
  fs::path home = fs::current_path();
  fs::current_path(dir.path());
  OSErr created = xml.CreateDoc("relative.xml", "r", false);
  fs::current_path(home);
  EXPECT_EQ(closed(created, dir.path() / "relative.xml"), kHeader + "<r/>\n");
  // A second CreateDoc completes the first document instead of losing it.
  fs::path first = dir.path() / "first.xml", second = dir.path() / "second.xml";
  ASSERT_EQ(xml.CreateDoc(first.c_str(), "one", false), 0);
  EXPECT_EQ(closed(xml.CreateDoc(second.c_str(), "two", false), second), kHeader + "<two/>\n");
  EXPECT_EQ(readFile(first), kHeader + "<one/>\n");
}

// Files of this process may not grow beyond 16 KB: the writes past that fail with EFBIG.
TEST_F(XmlWrite, FailedWriteKeepsPreviousFile) {
  dir.write("doc.xml", "previous");
  struct rlimit saved, small;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct sigaction ignore = {}, old = {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &old), 0);
  small = saved;
  small.rlim_cur = 16 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  OSErr last = 0;
  ASSERT_EQ(xml.CreateDoc(file.c_str(), "r", false), 0);
  for (int i = 0; i < 2000 && last == 0; ++i)
    last = xml.AddNode("n", std::string(100, 'x').c_str());
  xml.CloseDoc(); // finds the failed output and keeps the previous file
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &old, nullptr);
  EXPECT_EQ(last, -8);
  EXPECT_EQ(readFile(file), "previous");
  EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"doc.xml"});
}

TEST_F(XmlWrite, DateNodes) {
  const long when = 1677000000; // 2023-02-21 17:20:00 UTC
  unsigned char date[256], time[256], full[256];
  DateToStringN(when, 0, date);
  DateToStringN(when, 1, full);
  TimeToStringN(when, time, false);
  ASSERT_GT(date[0] * time[0], 0);
  ASSERT_EQ(xml.CreateDoc(file.c_str(), "r", false), 0);
  expectAll(0, {xml.AddDateStringNodeN("d", when, false, false),
                xml.AddDateStringNodeN("dt", when, false, true),
                xml.AddDateStringNodeN("f", when, true, false)});
  EXPECT_EQ(closed(file), kHeader + "<r>\n\t<d>" + pascal(date) + "</d>\n\t<dt>" + pascal(date) +
                              " - " + pascal(time) + "</dt>\n\t<f>" + pascal(full) +
                              "</f>\n</r>\n");
  // Month names beyond ASCII reach the document as UTF-8, so that it stays well-formed.
  kivtest::ScopedEnv locale("LC_ALL", "fr_FR.UTF-8");
  ASSERT_EQ(xml.CreateDoc(file.c_str(), "r", false), 0);
  EXPECT_EQ(xml.AddDateStringNodeN("d", when, true, false), 0);
  xml.CloseDoc();
  ASSERT_EQ(xml.OpenDoc(file.c_str()), 0);
  std::string d = text([&](char* b) { return xml.ReadNodeString("d", b, 256); });
  EXPECT_EQ(d.rfind("0:", 0), 0u) << d; // read without error
  EXPECT_NE(d.find("f\xC3\xA9vrier"), std::string::npos) << d;
}

TEST_F(XmlWrite, CreateDocByReferenceAndStandardFolder) {
  const std::string emptyRoot = kHeader + "<r/>\n";
  FSRef folder = refTo(dir.str());
  EXPECT_EQ(closed(xml.CreateDoc(&folder, "a.xml", "r", false), dir.path() / "a.xml"), emptyRoot);
  EXPECT_EQ(xml.CreateDoc(static_cast<FSRef*>(nullptr), "a.xml", "r", false), -6);
  // The joined path may hold 299 bytes; a leaf name beyond the file system's is refused at once.
  fs::path deep = dir.path() / std::string(100, 'd');
  fs::create_directory(deep);
  FSRef deepRef = refTo(deep.string());
  std::string name(299 - deep.string().size() - 1, 'n');
  EXPECT_EQ(closed(xml.CreateDoc(&deepRef, name.c_str(), "r", false), deep / name), emptyRoot);
  EXPECT_EQ(xml.CreateDoc(&deepRef, (name + "x").c_str(), "r", false), -7);
  EXPECT_EQ(xml.CreateDoc(&folder, std::string(256, 'n').c_str(), "r", false), -7);
  // A file reference rewrites the file under its own name; names hold 63 bytes.
  fs::path existing = dir.write("old.xml", "old");
  FSRef fileRef = refTo(existing.string());
  ASSERT_EQ(xml.CreateDoc(&fileRef, "r", false), 0);
  EXPECT_EQ(closed(existing), emptyRoot);
  std::string n63(63, 'f'), n64(64, 'f');
  FSRef f63 = refTo(dir.write(n63, "x").string()), f64 = refTo(dir.write(n64, "x").string());
  EXPECT_EQ(closed(xml.CreateDoc(&f63, "r", false), dir.path() / n63), emptyRoot);
  EXPECT_EQ(xml.CreateDoc(&f64, "r", false), -7);
  EXPECT_EQ(readFile(dir.path() / n64), "x");
  {
    kivtest::ScopedEnv config("XDG_CONFIG_HOME", dir.str());
    EXPECT_EQ(closed(xml.CreateDoc(1, "prefs.xml", "r", false), dir.path() / "prefs.xml"),
              emptyRoot);
    kivtest::ScopedEnv missing("XDG_CONFIG_HOME", (dir.path() / "missing").string());
    EXPECT_EQ(xml.CreateDoc(1, "prefs.xml", "r", false), -14);
  }
  EXPECT_EQ(xml.CreateDoc(short(0), "x.xml", "r", false), -14);
  EXPECT_EQ(xml.CreateDoc(4, "x.xml", "r", false), -14);
  EXPECT_EQ(xml.writer, nullptr);
}
