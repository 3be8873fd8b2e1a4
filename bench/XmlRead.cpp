// Opens a settings file of 1,000 elements and reads 100 values by name, with KivXML and with
// raw libxml2 code doing the same parse and the same depth-first searches, and prints the ratio.
// A second pair times the 100 searches and reads alone, on a document already parsed.
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

std::string gPath;
std::vector<std::string> gNames;

// 200 sections of 4 nodes each: 1,000 elements under the root, indented with tabs.
void writeSettings() {
  char tmpl[] = "/tmp/kiv-bench-xmlread-XXXXXX";
  int fd = mkstemp(tmpl);
  if (fd < 0) std::abort();
  close(fd);
  gPath = tmpl;
  std::ofstream out(gPath);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings>\n";
  for (int s = 0; s < 200; ++s) {
    out << "\t<section" << s << ">\n";
    for (int n = 0; n < 4; ++n)
      out << "\t\t<value" << s << "_" << n << ">" << s * 4 + n << " some text</value" << s << "_"
          << n << ">\n";
    out << "\t</section" << s << ">\n";
  }
  out << "</Settings>\n";
  for (int i = 0; i < 100; ++i)
    gNames.push_back("value" + std::to_string(i * 2) + "_" + std::to_string(i % 4));
}

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

BENCHMARK(BM_KivXML_OpenAndRead);
BENCHMARK(BM_libxml2_OpenAndRead);
BENCHMARK(BM_KivXML_Read);
BENCHMARK(BM_libxml2_Read);

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  writeSettings();
  kivbench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatio("BM_KivXML_OpenAndRead / BM_libxml2_OpenAndRead", "BM_KivXML_OpenAndRead",
                      "BM_libxml2_OpenAndRead");
  reporter.printRatio("BM_KivXML_Read / BM_libxml2_Read", "BM_KivXML_Read", "BM_libxml2_Read");
  std::remove(gPath.c_str());
  benchmark::Shutdown();
  return 0;
}
