// A KivXML object opened on a document written into a fresh temporary folder.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "KivXML.h"
#include "TestSupport.h"

namespace xmlreadtest {

class OpenedDoc {
public:
  explicit OpenedDoc(const std::string& xml) {
    path_ = dir_.write("doc.xml", xml).string();
    result_ = doc.OpenDoc(path_.c_str());
  }
  OSErr result() const { return result_; }
  const std::string& path() const { return path_; }

  KivXML doc;

private:
  kivtest::TempDir dir_;
  std::string path_;
  OSErr result_;
};

} // namespace xmlreadtest
