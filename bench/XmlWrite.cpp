// Times writing a document of 10,000 nodes in 1,000 sections with KivXML beside raw libxml2
// text-writer code writing the same document the same safe way: into a new temporary file in
// the destination's folder, flushed to the disk, given its permissions and renamed over the
// destination, the folder flushed after. Prints the ratios of CPU and wall time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlwriter.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

#include "BenchRatios.h"
#include "KivXML.h"

namespace {

constexpr int kSections = 1000;
constexpr int kNodesPerSection = 10;

std::string& folder() {
  static std::string dir = [] {
    char tmpl[] = "/tmp/kiv-bench-xmlwrite-XXXXXX";
    const char* made = mkdtemp(tmpl);
    return std::string(made != nullptr ? made : "/tmp");
  }();
  return dir;
}

void BM_KivXML_Write(benchmark::State& state) {
  std::string path = folder() + "/kiv.xml";
  for (auto _ : state) {
    KivXML xml;
    if (xml.CreateDoc(path.c_str(), "doc", false) != 0) {
      state.SkipWithError("CreateDoc failed");
      break;
    }
    for (int s = 0; s < kSections; ++s) {
      xml.StartSection("section");
      xml.AddSectionAttributeFormat("id", "%d", s);
      for (int n = 0; n < kNodesPerSection; ++n) {
        xml.AddNode("name", "value");
        xml.AddNodeFormat("number", "%d", s * kNodesPerSection + n);
      }
      xml.EndSection();
    }
    xml.CloseDoc();
  }
  state.SetItemsProcessed(state.iterations() * kSections * kNodesPerSection);
}
BENCHMARK(BM_KivXML_Write)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_RawTextWriter_Write(benchmark::State& state) {
  const std::string path = folder() + "/raw.xml";
  unsigned long count = 0;
  for (auto _ : state) {
    // A fresh hidden name each time, as the library's staged files have.
    const std::string temporary = folder() + "/.raw.xml." + std::to_string(++count) + ".tmp";
    int fd = open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    xmlOutputBufferPtr out = fd < 0 ? nullptr : xmlOutputBufferCreateFd(fd, nullptr);
    xmlTextWriterPtr w = out == nullptr ? nullptr : xmlNewTextWriter(out);
    if (w == nullptr) {
      state.SkipWithError("writer failed");
      break;
    }
    xmlTextWriterSetIndent(w, 1);
    xmlTextWriterSetIndentString(w, BAD_CAST "\t");
    xmlTextWriterStartDocument(w, nullptr, "UTF-8", nullptr);
    xmlTextWriterStartElement(w, BAD_CAST "doc");
    for (int s = 0; s < kSections; ++s) {
      xmlTextWriterStartElement(w, BAD_CAST "section");
      xmlTextWriterWriteFormatAttribute(w, BAD_CAST "id", "%d", s);
      for (int n = 0; n < kNodesPerSection; ++n) {
        xmlTextWriterWriteElement(w, BAD_CAST "name", BAD_CAST "value");
        xmlTextWriterWriteFormatElement(w, BAD_CAST "number", "%d", s * kNodesPerSection + n);
      }
      xmlTextWriterEndElement(w);
    }
    xmlTextWriterEndDocument(w);
    xmlFreeTextWriter(w); // flushes the output; the descriptor stays open
    if (fsync(fd) != 0 || fchmod(fd, 0644) != 0 || close(fd) != 0 ||
        rename(temporary.c_str(), path.c_str()) != 0) {
      state.SkipWithError("saving failed");
      break;
    }
    int dir = open(folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      fsync(dir);
      close(dir);
    }
  }
  state.SetItemsProcessed(state.iterations() * kSections * kNodesPerSection);
}
BENCHMARK(BM_RawTextWriter_Write)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  kivbench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double real = reporter.ratio("BM_KivXML_Write", "BM_RawTextWriter_Write", true);
  double cpu = reporter.ratio("BM_KivXML_Write", "BM_RawTextWriter_Write");
  if (real >= 0 && cpu >= 0)
    std::printf("ratio KivXML / raw text writer (medians): %.2f real, %.2f CPU\n", real, cpu);
  unlink((folder() + "/kiv.xml").c_str());
  unlink((folder() + "/raw.xml").c_str());
  rmdir(folder().c_str());
  return 0;
}
