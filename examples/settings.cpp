// Keeps a program's settings in an XML file in the user's preferences folder: writes them, reads
// them back, changes them, and prints what the file holds after each step.
//
//   settings [file name]          (default: kiv-example-settings.xml)
//
// Exit status: 0 when every step worked, 1 otherwise (the message says which step failed).
#include <Kiv.h>

#include <cstdio>
#include <ctime>

namespace {

const short kPreferences = 1; // the standard folder code of the preferences folder

int fail(const char* step, const char* fileName, int code) {
  std::fprintf(stderr, "settings: %s %s failed (%d)\n", step, fileName, code);
  return 1;
}

// Writes the first version of the settings. CloseDoc completes the file.
int writeSettings(const char* fileName) {
  KivXML doc;
  OSErr err = doc.CreateDoc(kPreferences, fileName, "Settings", false);
  if (err != 0) return fail("creating", fileName, err);
  doc.AddNode("title", "Quarterly report");
  doc.AddNodeFormat("width", "%d", 640);
  doc.AddNodeFormat("height", "%d", 480);
  RGBColor background = {65535, 65535, 52428};
  doc.AddRGBColor("background", background);
  doc.AddRomanStringNode("owner", "Ren\x8E"); // Mac Roman text: 0x8E is e with acute
  doc.StartSection("recent");
  doc.AddNodePath("file", "/home/ren/report.xml");
  doc.EndSection();
  err = doc.AddDateStringNodeN("saved", static_cast<long>(std::time(nullptr)), false, true);
  if (err != 0) return fail("writing", fileName, err);
  doc.CloseDoc();
  return 0;
}

// Prints every setting the file holds, one per line.
int printSettings(const char* fileName) {
  KivXML doc;
  OSErr err = doc.OpenDoc(kPreferences, fileName);
  if (err != 0) return fail("reading", fileName, err);

  char text[300];
  if (doc.ReadNodeString("title", text, sizeof text) == 0) std::printf("title: %s\n", text);
  short width = 0, height = 0;
  if (doc.ReadNodeShort("width", width) == 0 && doc.ReadNodeShort("height", height) == 0)
    std::printf("size: %d x %d\n", width, height);
  RGBColor background;
  if (doc.ReadRGBColor("background", background) == 0)
    std::printf("background: %u %u %u\n", background.red, background.green, background.blue);
  unsigned char owner[256];
  if (doc.ReadNodeMacRomanString(doc.FindNode(nullptr, "owner"), owner, false) == 0) {
    char roman[256], utf8[3 * 255 + 1];
    P2CStrCopy(owner, roman);
    CocoaRomanToUTF(roman, utf8);
    std::printf("owner: %s\n", utf8);
  }
  if (doc.ReadNodePath("file", text, sizeof text) == 0) std::printf("recent file: %s\n", text);
  if (doc.ReadNodeString("theme", text, sizeof text) == 0) std::printf("theme: %s\n", text);
  if (doc.ReadNodeString("saved", text, sizeof text) == 0) std::printf("saved: %s\n", text);
  return 0;
}

// Changes the settings: a new width, a new theme, no save date. The class edits the parsed tree
// in memory; the edited tree reaches the file by being copied into a new document, which
// replaces the old file when it is complete.
int editSettings(const char* fileName) {
  KivXML in;
  OSErr err = in.OpenDoc(kPreferences, fileName);
  if (err != 0) return fail("reading", fileName, err);
  in.DeleteNode(in.FindNode(nullptr, "width"));
  in.DeleteNode(in.FindNode(nullptr, "saved"));
  if (!in.InsertNodeShort(in.rootNode, "width", 800) ||
      !in.InsertNode(in.rootNode, "theme", "dark"))
    return fail("editing", fileName, -1);

  KivXML out;
  err = out.CreateDoc(kPreferences, fileName, "Settings", false);
  if (err != 0) return fail("creating", fileName, err);
  err = out._ImportTree(&in, KivXML::ChildNode(in.rootNode));
  if (err != 0) return fail("copying into", fileName, err);
  out.CloseDoc();
  return 0;
}

} // namespace

int main(int argc, char* argv[]) {
  const char* fileName = argc > 1 ? argv[1] : "kiv-example-settings.xml";
  char folder[256];
  int err = GetUnifiedFolderType(kPreferences, folder);
  if (err != 0) {
    std::fprintf(stderr, "settings: the preferences folder cannot be found (%d)\n", err);
    return 1;
  }
  std::printf("file: %s/%s\n", folder, fileName);

  std::printf("-- written\n");
  if (writeSettings(fileName) != 0 || printSettings(fileName) != 0) return 1;
  std::printf("-- edited\n");
  if (editSettings(fileName) != 0 || printSettings(fileName) != 0) return 1;
  return 0;
}
