// Random sequences of writer calls on a new document. Every call must answer a code of its
// documented set; the closed file must open, and read back as exactly the elements, attributes
// and texts of the calls that answered 0 (what a refused call would have written is absent).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <libxml/tree.h>

#include "FuzzSupport.h"
#include "KIV_Str.h"
#include "KivXML.h"

namespace {

// What the document must hold: one element as the calls that succeeded wrote it.
struct Element {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::string text;
  bool base64 = false;  // text is the data, written in Base64
  bool anyText = false; // a date: its text is not checked
  bool lenient = false; // an attribute may have been refused without a failure code
  std::vector<std::unique_ptr<Element>> children;

  Element* add(const std::string& childName) {
    children.push_back(std::make_unique<Element>());
    children.back()->name = childName;
    return children.back().get();
  }
};

const char* const kNames[] = {"a", "b",  "item", "x-y", "_n",    "e.1", "\xC3\xA9t\xC3\xA9",
                              "",  "1a", "a b",  "<",   "a\x01", "red"};

// Mac Roman text in UTF-8, as the converting writers store it.
std::string romanToUtf8(const std::string& roman) {
  CFStringRef s =
      CFStringCreateWithCString(kCFAllocatorDefault, roman.c_str(), kCFStringEncodingMacRoman);
  if (!s) return std::string();
  std::vector<char> out(3 * roman.size() + 1);
  CFStringGetCString(s, out.data(), static_cast<CFIndex>(out.size()), kCFStringEncodingUTF8);
  CFRelease(s);
  return out.data();
}

std::string withoutBlanks(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') out += c;
  return out;
}

std::string nodeText(KivXML& doc, xmlNode* node) {
  kivfuzz::Room<char> text(1 << 16);
  FUZZ_CHECK(doc.ReadNodeStringValue(node, text.data(), text.size()) == 0);
  return text.cString();
}

std::string attributeOf(KivXML& doc, xmlNode* node, const std::string& name, bool& present) {
  kivfuzz::Room<char> value(1 << 12);
  OSErr code = doc.ReadNodeAttributeStringValue(node, name.c_str(), value.data(), value.size());
  present = code == 0;
  return value.cString();
}

// Compares a parsed element with what the calls wrote.
void compare(KivXML& doc, xmlNode* node, const Element& want) {
  FUZZ_CHECK(node->type == XML_ELEMENT_NODE &&
             want.name == reinterpret_cast<const char*>(node->name));
  size_t attributes = 0;
  for (xmlAttr* a = node->properties; a != nullptr; a = a->next)
    ++attributes;
  FUZZ_CHECK(want.lenient ? attributes <= want.attributes.size()
                          : attributes == want.attributes.size());
  for (const auto& [name, value] : want.attributes) {
    bool present = false;
    const std::string got = attributeOf(doc, node, name, present);
    FUZZ_CHECK((present && got == value) || (want.lenient && !present));
  }
  const std::string text = nodeText(doc, node);
  if (want.base64) {
    std::string encoded;
    for (char c : text)
      if (c != '\r' && c != '\n') encoded += c;
    FUZZ_CHECK(decode_base64(encoded) == want.text);
  } else if (want.anyText) {
  } else if (want.children.empty()) {
    FUZZ_CHECK(text == want.text);
  } else {
    FUZZ_CHECK(withoutBlanks(text) == withoutBlanks(want.text));
  }
  xmlNode* child = node->children;
  for (const auto& w : want.children) {
    while (child != nullptr && child->type != XML_ELEMENT_NODE)
      child = child->next;
    FUZZ_CHECK(child != nullptr);
    compare(doc, child, *w);
    child = child->next;
  }
  while (child != nullptr && child->type != XML_ELEMENT_NODE)
    child = child->next;
  FUZZ_CHECK(child == nullptr);
}

class Session {
public:
  explicit Session(FuzzedDataProvider& input) : in_(input) {}

  void run() {
    static const std::string path = (kivfuzz::scratchFolder() / "written.xml").string();
    if (in_.ConsumeBool()) {
      const std::string name = text(16), pub = text(16), sys = text(16);
      FUZZ_CHECK(doc_.SetDTD(name.c_str(), pub.c_str(), sys.c_str()) == 0);
    }
    root_.name = in_.PickValueInArray({"root", "cfg", "r"});
    const OSErr created = doc_.CreateDoc(path.c_str(), root_.name.c_str(), in_.ConsumeBool());
    FUZZ_CHECK(kivfuzz::oneOf(created, {0, -7, -8}));
    if (created != 0) return;
    open_.push_back(&root_);
    for (int calls = 0; calls < 64 && in_.remaining_bytes() > 0; ++calls)
      step();
    doc_.CloseDoc();

    KivXML reader;
    FUZZ_CHECK(reader.OpenDoc(path.c_str()) == 0);
    if (!uncertain_) compare(reader, reader.rootNode, root_);
  }

private:
  std::string name() { return in_.ConsumeBool() ? in_.PickValueInArray(kNames) : text(6); }
  // Texts are C strings: what follows a zero byte is not passed.
  std::string text(size_t max = 64) { return in_.ConsumeRandomLengthString(max).c_str(); }
  Element* top() { return open_.empty() ? nullptr : open_.back(); }

  // A node written by a call that answered `code`; null when it answered a failure.
  Element* node(OSErr code, const std::string& nodeName, const std::string& nodeText) {
    if (code != 0) return nullptr;
    FUZZ_CHECK(top() != nullptr); // a second root element would make the file unreadable
    Element* e = top()->add(nodeName);
    e->text = nodeText;
    return e;
  }

  void step() {
    const std::string n = name();
    switch (in_.ConsumeIntegralInRange(0, 15)) {
    case 0: {
      const std::string t = text();
      node(check(doc_.AddNode(n.c_str(), t.c_str()), {0, -8}), n, t);
      break;
    }
    case 1: {
      const std::string t = text(), an = name(), av = text(16);
      OSErr code = check(doc_.AddNodeWithAttr(n.c_str(), t.c_str(), an.c_str(), av.c_str()),
                         {0, -8, -10, -11});
      if (code == -11) uncertain_ = true; // the element is started and not ended
      if (Element* e = node(code, n, t)) {
        e->attributes.emplace_back(an, av);
        e->lenient = true;
      }
      break;
    }
    case 2:
    case 3: {
      OSErr code =
          check(in_.ConsumeBool() ? doc_.StartSection(n.c_str()) : doc_.StartElement(n.c_str()),
                {0, -8, -10});
      if (Element* e = node(code, n, std::string())) open_.push_back(e);
      break;
    }
    case 4: {
      OSErr code = check(in_.ConsumeBool() ? doc_.EndSection() : doc_.EndElement(), {0, -8, -11});
      if (code == 0) {
        FUZZ_CHECK(!open_.empty());
        open_.pop_back();
      }
      break;
    }
    case 5: {
      const std::string v = text(32);
      if (check(doc_.AddSectionAttribute(n.c_str(), v.c_str()), {0, -15}) == 0) {
        FUZZ_CHECK(top() != nullptr);
        top()->attributes.emplace_back(n, v);
      }
      break;
    }
    case 6: {
      const std::string v = text(32);
      if (check(doc_.AddSectionAttributeFormat(n.c_str(), "%s", v.c_str()), {0, -15}) == 0 &&
          !v.empty()) {
        FUZZ_CHECK(top() != nullptr);
        top()->attributes.emplace_back(n, romanToUtf8(v));
      }
      break;
    }
    case 7: {
      const std::string t = text();
      if (check(doc_.AddElementTextFormat("%s", t.c_str()), {0, 16}) == 0 && !t.empty()) {
        FUZZ_CHECK(top() != nullptr);
        top()->text += romanToUtf8(t);
      }
      break;
    }
    case 8: {
      const std::string d = text(200);
      OSErr code = check(doc_.AddNodeBase64(n.c_str(), d.c_str()), {0, -8});
      if (Element* e = node(code, n, d.c_str())) e->base64 = true;
      break;
    }
    case 9: {
      const auto p = kivfuzz::pascal(in_.ConsumeRandomLengthString(64));
      node(check(doc_.AddPNode(n.c_str(), p.data()), {0, -8}), n,
           std::string(reinterpret_cast<const char*>(p.data() + 1), p[0]).c_str());
      break;
    }
    case 10: {
      const std::string t = text();
      node(check(doc_.AddRomanStringNode(n.c_str(), t.c_str()), {0, -8}), n, romanToUtf8(t));
      break;
    }
    case 11: {
      const auto p = kivfuzz::pascal(in_.ConsumeRandomLengthString(64));
      const std::string t(reinterpret_cast<const char*>(p.data() + 1), p[0]);
      node(check(doc_.AddRomanPStringNode(n.c_str(), p.data()), {0, -8}), n,
           romanToUtf8(t.c_str()));
      break;
    }
    case 12: {
      RGBColor c = {in_.ConsumeIntegral<unsigned short>(), in_.ConsumeIntegral<unsigned short>(),
                    in_.ConsumeIntegral<unsigned short>()};
      OSErr code = check(doc_.AddRGBColor(n.c_str(), c), {0, -8});
      if (code != 0) uncertain_ = true; // the section may be started
      if (Element* e = node(code, n, std::string())) {
        e->add("red")->text = std::to_string(c.red);
        e->add("green")->text = std::to_string(c.green);
        e->add("blue")->text = std::to_string(c.blue);
      }
      break;
    }
    case 13: {
      const std::string t = text();
      node(check(doc_.AddNodeFormat(n.c_str(), "%s", t.c_str()), {0, -8, -9}), n, romanToUtf8(t));
      break;
    }
    case 14: {
      const int v = in_.ConsumeIntegral<int>();
      node(check(doc_.AddNodeFormat(n.c_str(), "%d", v), {0, -8, -9}), n, std::to_string(v));
      break;
    }
    default: {
      if (in_.ConsumeBool()) {
        const std::string t = text();
        node(check(doc_.AddNodePath(n.c_str(), t.c_str()), {0, -8}), n, t);
      } else {
        const long date = in_.ConsumeIntegralInRange<long>(-4000000000L, 8000000000L);
        OSErr code =
            check(doc_.AddDateStringNodeN(n.c_str(), date, in_.ConsumeBool(), in_.ConsumeBool()),
                  {0, -8});
        if (Element* e = node(code, n, std::string())) e->anyText = true;
      }
      break;
    }
    }
  }

  OSErr check(OSErr code, std::initializer_list<int> codes) {
    FUZZ_CHECK(kivfuzz::oneOf(code, codes));
    return code;
  }

  FuzzedDataProvider& in_;
  KivXML doc_;
  Element root_;
  std::vector<Element*> open_;
  bool uncertain_ = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  Session(input).run();
  return 0;
}
