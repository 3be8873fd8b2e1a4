// Opens a settings file of 1,000 elements and reads 100 values by name, with KivXML and with
// raw libxml2 code doing the same parse and the same depth-first searches, and prints the ratio.
// A second pair times the 100 searches and reads alone, on a document already parsed. A third
// pair times the first 100 reads after opening documents of 1,000 and of 100,000 elements
// (the parse not timed): KivXML's reads then include building its index of names.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "BenchRatios.h"
#include "KivXML.h"

namespace {

struct Settings {
  std::string path;
  std::vector<std::string> names; // 100 names spread evenly over the document
};

// sections sections of 4 nodes each (5 elements a section) under the root, indented with tabs.
Settings writeSettings(int sections) {
  char tmpl[] = "/tmp/kiv-bench-xmlread-XXXXXX";
  int fd = mkstemp(tmpl);
  if (fd < 0) std::abort();
  close(fd);
  Settings settings{tmpl, {}};
  std::ofstream out(settings.path);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings>\n";
  for (int s = 0; s < sections; ++s) {
    out << "\t<section" << s << ">\n";
    for (int n = 0; n < 4; ++n)
      out << "\t\t<value" << s << "_" << n << ">" << s * 4 + n << " some text</value" << s << "_"
          << n << ">\n";
    out << "\t</section" << s << ">\n";
  }
  out << "</Settings>\n";
  for (int i = 0; i < 100; ++i)
    settings.names.push_back("value" + std::to_string(i * (sections / 100)) + "_" +
                             std::to_string(i % 4));
  return settings;
}

// The documents: 200 sections (1,000 elements) and 20,000 sections (100,000 elements).
std::map<int, Settings>& documents() {
  static std::map<int, Settings> all;
  return all;
}

std::string gPath;
std::vector<std::string> gNames;

// The same walk as the class's search: depth-first, pre-order, elements only.
xmlNode* rawFind(xmlNode* node, const char* name) {
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    if (std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0) return node;
    if (node->children != nullptr)
      if (xmlNode* found = rawFind(node->children, name)) return found;
  }
  return nullptr;
}

void rawRead(xmlDoc* doc, xmlNode* root, const char* name, char* buf) {
  buf[0] = '\0';
  xmlNode* node = rawFind(root, name);
  if (node == nullptr || node->children == nullptr) return;
  xmlChar* text = xmlNodeListGetString(doc, node->children, 1);
  if (text == nullptr) return;
  std::strcpy(buf, reinterpret_cast<const char*>(text));
  xmlFree(text);
}

void BM_KivXML_OpenAndRead(benchmark::State& state) {
  char buf[256];
  for (auto _ : state) {
    KivXML doc;
    if (doc.OpenDoc(gPath.c_str()) != 0) state.SkipWithError("open failed");
    for (const std::string& name : gNames)
      doc.ReadNodeString(name.c_str(), buf, sizeof buf);
    benchmark::DoNotOptimize(buf);
    doc.CloseDoc();
  }
}

void BM_libxml2_OpenAndRead(benchmark::State& state) {
  char buf[256];
  for (auto _ : state) {
    xmlDoc* doc = xmlParseFile(gPath.c_str());
    if (doc == nullptr) state.SkipWithError("parse failed");
    xmlNode* root = xmlDocGetRootElement(doc);
    for (const std::string& name : gNames)
      rawRead(doc, root, name.c_str(), buf);
    benchmark::DoNotOptimize(buf);
    xmlFreeDoc(doc);
  }
}

void BM_KivXML_Read(benchmark::State& state) {
  KivXML doc;
  doc.OpenDoc(gPath.c_str());
  char buf[256];
  for (auto _ : state) {
    for (const std::string& name : gNames)
      doc.ReadNodeString(name.c_str(), buf, sizeof buf);
    benchmark::DoNotOptimize(buf);
  }
}

void BM_libxml2_Read(benchmark::State& state) {
  xmlDoc* doc = xmlParseFile(gPath.c_str());
  xmlNode* root = xmlDocGetRootElement(doc);
  char buf[256];
  for (auto _ : state) {
    for (const std::string& name : gNames)
      rawRead(doc, root, name.c_str(), buf);
    benchmark::DoNotOptimize(buf);
  }
  xmlFreeDoc(doc);
}

// The first 100 reads after opening a document of state.range(0) elements.
void BM_KivXML_FirstReads(benchmark::State& state) {
  const Settings& settings = documents()[static_cast<int>(state.range(0))];
  char buf[256];
  for (auto _ : state) {
    state.PauseTiming();
    KivXML doc;
    if (doc.OpenDoc(settings.path.c_str()) != 0) state.SkipWithError("open failed");
    state.ResumeTiming();
    for (const std::string& name : settings.names)
      doc.ReadNodeString(name.c_str(), buf, sizeof buf);
    benchmark::DoNotOptimize(buf);
    state.PauseTiming();
    doc.CloseDoc();
    state.ResumeTiming();
  }
}

void BM_libxml2_FirstReads(benchmark::State& state) {
  const Settings& settings = documents()[static_cast<int>(state.range(0))];
  char buf[256];
  for (auto _ : state) {
    state.PauseTiming();
    xmlDoc* doc = xmlParseFile(settings.path.c_str());
    if (doc == nullptr) state.SkipWithError("parse failed");
    xmlNode* root = xmlDocGetRootElement(doc);
    state.ResumeTiming();
    for (const std::string& name : settings.names)
      rawRead(doc, root, name.c_str(), buf);
    benchmark::DoNotOptimize(buf);
    state.PauseTiming();
    xmlFreeDoc(doc);
    state.ResumeTiming();
  }
}

BENCHMARK(BM_KivXML_OpenAndRead);
BENCHMARK(BM_libxml2_OpenAndRead);
BENCHMARK(BM_KivXML_Read);
BENCHMARK(BM_libxml2_Read);
BENCHMARK(BM_KivXML_FirstReads)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_libxml2_FirstReads)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (int elements : {1000, 100000})
    documents()[elements] = writeSettings(elements / 5);
  gPath = documents()[1000].path;
  gNames = documents()[1000].names;
  kivbench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatio("BM_KivXML_OpenAndRead / BM_libxml2_OpenAndRead", "BM_KivXML_OpenAndRead",
                      "BM_libxml2_OpenAndRead");
  reporter.printRatio("BM_KivXML_Read / BM_libxml2_Read", "BM_KivXML_Read", "BM_libxml2_Read");
  for (int elements : {1000, 100000}) {
    const std::string arg = "/" + std::to_string(elements);
    reporter.printRatio("first 100 reads, " + std::to_string(elements) +
                            " elements, KivXML (index built) / libxml2 walk",
                        "BM_KivXML_FirstReads" + arg, "BM_libxml2_FirstReads" + arg);
  }
  for (auto& [elements, settings] : documents())
    std::remove(settings.path.c_str());
  benchmark::Shutdown();
  return 0;
}
