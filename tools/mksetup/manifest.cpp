#include "manifest.h"

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "disk.h"
#include "env/paths.h"
#include "package/strings_block.h"
#include "package/token.h"
#include "setup/extract.h"

using json = nlohmann::ordered_json;

namespace {

[[noreturn]] void Bad(const std::string& where, const std::string& what) {
  throw ManifestError(where.empty() ? what : where + ": " + what);
}

// Refuses keys that the manifest format does not know (catches typos).
void OnlyKeys(const json& object, const std::string& where, std::set<std::string> known) {
  if (!object.is_object()) Bad(where, "must be an object");
  for (auto it = object.begin(); it != object.end(); ++it)
    if (!known.count(it.key())) Bad(where, "unknown key \"" + it.key() + "\"");
}

std::string Text(const json& object, const char* key, const std::string& where,
                 const std::string& def) {
  if (!object.contains(key)) return def;
  const json& v = object[key];
  if (!v.is_string()) Bad(where + "." + key, "must be a string");
  return v.get<std::string>();
}

int64_t Integer(const json& object, const char* key, const std::string& where, int64_t def,
                int64_t low, int64_t high) {
  if (!object.contains(key)) return def;
  const json& v = object[key];
  int64_t n = 0;
  if (v.is_boolean())
    n = v.get<bool>() ? 1 : 0;
  else if (v.is_number_integer())
    n = v.get<int64_t>();
  else
    Bad(where + "." + key, "must be an integer");
  if (n < low || n > high)
    Bad(where + "." + key, "must be " + std::to_string(low) + " to " + std::to_string(high));
  return n;
}

bool Flag(const json& object, const char* key, const std::string& where, bool def) {
  return Integer(object, key, where, def ? 1 : 0, 0, 1) != 0;
}

// A field of the "|" blocks: the delimiter cannot be part of it.
std::string BlockText(const json& object, const char* key, const std::string& where,
                      const std::string& def) {
  std::string text = Text(object, key, where, def);
  if (text.find('|') != std::string::npos) Bad(where + "." + key, "must not hold \"|\"");
  return text;
}

std::string Scrambled(const std::string& plain) {
  if (plain.empty()) return "";
  uint32_t seed = 2166136261u;  // FNV-1a of the token: the same manifest gives the same file
  for (unsigned char c : plain) seed = (seed ^ c) * 16777619u;
  std::string text = ScrambleToken(plain, seed);
  std::string check;
  if (!TryDescrambleToken(text, &check) || check != plain || text.find('|') != std::string::npos)
    Bad("", "cannot scramble the token \"" + plain + "\"");
  return text;
}

uint32_t Stamp(const json& object, const std::string& where, const std::string& path) {
  if (!object.contains("stamp") || (object["stamp"].is_string() && object["stamp"] == "file")) {
    uint32_t stamp = FileDosTime(path);
    if (!stamp) Bad(where, "cannot read the date of " + path + " (or it is before 1980)");
    return stamp;
  }
  const json& v = object["stamp"];
  if (v.is_number_integer()) {
    int64_t n = v.get<int64_t>();
    if (n < 0 || n > int64_t(0xFFFFFFFF)) Bad(where + ".stamp", "must fit 32 bits");
    return uint32_t(n);
  }
  if (!v.is_string()) Bad(where + ".stamp", "must be \"file\", a DOS date-time or a date text");
  uint32_t stamp = ParseDosTime(v.get<std::string>());
  if (!stamp)
    Bad(where + ".stamp", "\"" + v.get<std::string>() +
                              "\" is not \"YYYY-MM-DD HH:MM:SS\" from 1980 to 2107 with even seconds");
  return stamp;
}

// A file name written into the destination folder.
void CheckName(const std::string& name, const std::string& where) {
  std::string why;
  if (!IsSafeFileName(name, &why)) Bad(where, "unsafe file name \"" + name + "\": " + why);
  if (name.find_first_of(std::string("|*\0", 3)) != std::string::npos)
    Bad(where, "file name \"" + name + "\" must not hold \"|\" or \"*\"");
}

std::string Resolve(const std::string& base, const std::string& path) {
  if (path.empty() || path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'))
    return path;
  return JoinPath(base, path);
}

// A file opened on its first read; opening one closes the one opened before.
// Its size is taken when the manifest is read: a file that changes size by the
// time it is packed reads as nothing, and the build stops.
class LazyFile : public ByteSource {
 public:
  LazyFile(std::string path, int64_t size, LazyFile** current)
      : path_(std::move(path)), size_(size), current_(current) {}
  ~LazyFile() override {
    if (*current_ == this) *current_ = nullptr;
  }
  int64_t Size() const override { return size_; }
  size_t ReadAt(int64_t offset, void* buffer, size_t n) const override {
    if (*current_ != this) {
      if (*current_) (*current_)->file_.reset();
      *current_ = const_cast<LazyFile*>(this);
      file_.reset(new FileSource(path_));
    }
    if (!file_->is_open() || file_->Size() != size_) return 0;
    return file_->ReadAt(offset, buffer, n);
  }

 private:
  std::string path_;
  int64_t size_;
  LazyFile** current_;
  mutable std::unique_ptr<FileSource> file_;
};

class Loader {
 public:
  Loader(Manifest* m, std::string base) : m_(m), base_(std::move(base)) {}

  const ByteSource* OpenFile(const std::string& path, const std::string& where) {
    std::string full = Resolve(base_, path);
    {
      FileSource probe(full);  // fails now, with its reason, rather than mid-build
      if (!probe.is_open()) Bad(where, "cannot open " + full + ": " + ErrnoText());
      m_->sources.emplace_back(new LazyFile(full, probe.Size(), &current_));
    }
    return m_->sources.back().get();
  }

  void AddFile(const json& entry, const std::string& where, bool engine, size_t index) {
    OnlyKeys(entry, where, engine ? std::set<std::string>{"path", "name", "parameters", "stamp"}
                                  : std::set<std::string>{"path", "name", "stamp"});
    std::string path = Text(entry, "path", where, "");
    if (path.empty()) Bad(where, "\"path\" is missing");
    std::string full = Resolve(base_, path);
    std::string name = Text(entry, "name", where, engine ? "Engine.exe" : FileNameOf(path));
    CheckName(name, where + ".name");
    PackageFile file;
    if (engine) {
      std::string parameters = Text(entry, "parameters", where, "");
      if (parameters.find('|') != std::string::npos)
        Bad(where + ".parameters", "must not hold \"|\"");
      file.name = name + "*" + parameters;
    } else {
      file.name = PayloadChunkName(index, name);
    }
    file.stamp = Stamp(entry, where, full);
    file.data = OpenFile(path, where);
    m_->plan.files.push_back(file);
    m_->file_paths.push_back(full);
  }

  void Strings(const json& list) {
    if (!list.is_array()) Bad("strings", "must be a list of sections");
    std::vector<strings_block::Section> sections;
    for (size_t i = 0; i < list.size(); ++i) {
      std::string where = "strings[" + std::to_string(i) + "]";
      const json& s = list[i];
      OnlyKeys(s, where, {"language", "Charset", "FontSize", "FontName", "keys"});
      strings_block::Section section;
      section.language = Text(s, "language", where, "");
      if (section.language.empty()) Bad(where, "\"language\" is missing");
      // Every section opens with its three header entries.
      section.entries.emplace_back("Charset", Text(s, "Charset", where, "0"));
      section.entries.emplace_back("FontSize", Text(s, "FontSize", where, "8"));
      section.entries.emplace_back("FontName", Text(s, "FontName", where, "Tahoma"));
      if (s.contains("keys")) {
        const json& keys = s["keys"];
        if (!keys.is_object()) Bad(where + ".keys", "must be an object of texts");
        for (auto it = keys.begin(); it != keys.end(); ++it) {
          const std::string& key = it.key();
          if (!strings_block::IsKnownKey(key))
            Bad(where + ".keys", "\"" + key + "\" is not a key the stub reads");
          if (key == "Charset" || key == "FontSize" || key == "FontName")
            Bad(where + ".keys", "\"" + key + "\" belongs beside \"language\"");
          if (!it.value().is_string()) Bad(where + ".keys." + key, "must be a string");
          section.entries.emplace_back(key, it.value().get<std::string>());
        }
      }
      sections.push_back(std::move(section));
    }
    std::string error;
    if (!strings_block::Compose(sections, &m_->plan.strings_block, &error)) Bad("strings", error);
  }

  void Options(const json& o) {
    OnlyKeys(o, "options",
             {"info_url", "info_file_name", "agent_file_name", "project_token", "hide_extraction"});
    // A package without these features still carries the five fields, the
    // names empty around their fixed parts.
    std::string fields[5] = {
        BlockText(o, "info_url", "options", "http://"),
        BlockText(o, "info_file_name", "options", ".info"),
        BlockText(o, "agent_file_name", "options", ".exe"),
        Scrambled(BlockText(o, "project_token", "options", "")),
        Flag(o, "hide_extraction", "options", false) ? "1" : "0",
    };
    m_->plan.options_block = "|";
    for (const std::string& f : fields) m_->plan.options_block += f + "|";
    agent_name_ = FileNameOf(fields[2]);
  }

  void Download(const json& d) {
    OnlyKeys(d, "download",
             {"url", "setup_file_name", "always_download", "token", "size", "size_of"});
    if (d.contains("size") && d.contains("size_of"))
      Bad("download", "give either \"size\" or \"size_of\"");
    int64_t size = Integer(d, "size", "download", 0, 0, INT64_MAX);
    if (d.contains("size_of")) {
      std::string full = Resolve(base_, Text(d, "size_of", "download", ""));
      size = FileSize(full);
      if (size < 0) Bad("download.size_of", "cannot read the size of " + full);
    }
    std::string fields[5] = {
        BlockText(d, "url", "download", ""),
        BlockText(d, "setup_file_name", "download", ""),
        Flag(d, "always_download", "download", false) ? "1" : "0",
        Scrambled(BlockText(d, "token", "download", "")),
        std::to_string(size),
    };
    m_->plan.download_block = "|";
    for (const std::string& f : fields) m_->plan.download_block += f + "|";
    m_->plan.has_download_block = true;
  }

  void TrailerBytes(const json& t) {
    OnlyKeys(t, "trailer",
             {"show_temp_drive_notice", "spanned_cd", "show_activity_bar", "log_file",
              "flag_bits_5_7", "web_download", "confirm_download", "make_agent_copy",
              "this_is_auto_update_prog", "byte_0", "bytes_2", "bytes_20", "byte_64"});
    Trailer& tr = m_->plan.trailer;
    const std::string w = "trailer";
    uint8_t flags = 0;
    if (Flag(t, "show_temp_drive_notice", w, false)) flags |= layout::kShowTempDriveNotice;
    if (Flag(t, "show_activity_bar", w, false)) flags |= layout::kShowActivityBar;
    if (Flag(t, "log_file", w, false)) flags |= layout::kLogFile;
    flags |= uint8_t(Integer(t, "flag_bits_5_7", w, 0, 0, 7) << 5);
    tr.Flags = flags;
    m_->plan.spanned_cd = Flag(t, "spanned_cd", w, false);
    tr.WebDownload = uint8_t(Integer(t, "web_download", w, m_->plan.has_download_block, 0, 255));
    tr.ConfirmDownload = uint8_t(Integer(t, "confirm_download", w, 0, 0, 255));
    tr.MakeAgentCopy = uint8_t(Integer(t, "make_agent_copy", w, 0, 0, 255));
    tr.ThisIs_AutoUpdateProg = uint8_t(Integer(t, "this_is_auto_update_prog", w, 0, 0, 255));
    tr.reserved0 = uint8_t(Integer(t, "byte_0", w, 0, 0, 255));
    tr.reserved64 = uint8_t(Integer(t, "byte_64", w, 0, 0, 255));
    ByteList(t, "bytes_2", tr.reserved2, 2);
    ByteList(t, "bytes_20", tr.reserved20, 8);
  }

  void ByteList(const json& t, const char* key, uint8_t* out, size_t count) {
    if (!t.contains(key)) return;
    const json& list = t[key];
    std::string where = std::string("trailer.") + key;
    if (!list.is_array() || list.size() != count)
      Bad(where, "must be a list of " + std::to_string(count) + " bytes");
    for (size_t i = 0; i < count; ++i) {
      if (!list[i].is_number_integer() || list[i].get<int64_t>() < 0 || list[i].get<int64_t>() > 255)
        Bad(where, "must hold bytes 0 to 255");
      out[i] = uint8_t(list[i].get<int64_t>());
    }
  }

  const std::string& agent_name() const { return agent_name_; }

 private:
  Manifest* m_;
  std::string base_;
  std::string agent_name_;
  static LazyFile* current_;
};

LazyFile* Loader::current_ = nullptr;

}  // namespace

std::string PayloadChunkName(size_t index, const std::string& name) {
  char number[16];
  std::snprintf(number, sizeof number, "%05zu#", index);
  return number + name;
}

std::unique_ptr<Manifest> LoadManifest(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ManifestError("cannot open " + path + ": " + ErrnoText());
  json doc;
  try {
    doc = json::parse(in);
  } catch (const json::parse_error& e) {
    // e.what() carries the byte position of the fault.
    throw ManifestError(path + ": not valid JSON: " + e.what());
  }
  std::unique_ptr<Manifest> m(new Manifest);
  try {
    OnlyKeys(doc, "manifest",
             {"stub", "engine", "files", "strings", "options", "download", "trailer", "compression",
              "level", "chunk_size", "volume_size", "package_end_in_stub"});
    Loader load(m.get(), FolderOfPath(path));
    PackagePlan& plan = m->plan;

    std::string stub = Text(doc, "stub", "manifest", "");
    if (stub.empty()) Bad("manifest", "\"stub\" (the stub image) is missing");
    plan.stub = load.OpenFile(stub, "stub");

    if (doc.contains("engine")) load.AddFile(doc["engine"], "engine", true, 0);
    if (doc.contains("files")) {
      const json& files = doc["files"];
      if (!files.is_array()) Bad("files", "must be a list");
      if (files.size() > 99999) Bad("files", "more than 99999 payload files");
      for (size_t i = 0; i < files.size(); ++i)
        load.AddFile(files[i], "files[" + std::to_string(i) + "]", false, i);
    }
    std::set<std::string> seen;
    for (const PackageFile& f : plan.files) {
      std::string written = f.name.substr(0, f.name.find('*'));
      if (!seen.insert(written).second)
        Bad("files", "\"" + written + "\" is named twice (its chunks would be appended)");
    }

    if (doc.contains("strings")) load.Strings(doc["strings"]);
    load.Options(doc.contains("options") ? doc["options"] : json::object());
    if (doc.contains("download")) load.Download(doc["download"]);
    load.TrailerBytes(doc.contains("trailer") ? doc["trailer"] : json::object());

    std::string method = Text(doc, "compression", "manifest", "zlib");
    if (method == "zlib")
      plan.compression = Compression::kZlib;
    else if (method == "stored")
      plan.compression = Compression::kStored;
    else
      Bad("compression", "must be \"zlib\" or \"stored\"");
    plan.level = int(Integer(doc, "level", "manifest", 6, 0, 9));
    plan.chunk_size = uint32_t(Integer(doc, "chunk_size", "manifest", 4 << 20, 1, kMaxChunkSize));
    plan.volume_size = Integer(doc, "volume_size", "manifest", 0, 0, INT64_MAX);
    plan.package_end_in_stub = Flag(doc, "package_end_in_stub", "manifest", false);

    if (plan.trailer.MakeAgentCopy) {
      if (load.agent_name().empty())
        Bad("trailer.make_agent_copy", "needs options.agent_file_name");
      CheckName(load.agent_name(), "options.agent_file_name");
      // The stub writes the agent file beside the others: stub image,
      // header blocks and trailer.
      plan.agent_file_size = uint64_t(plan.stub->Size()) + 8 + plan.strings_block.size() +
                             plan.options_block.size() +
                             (plan.has_download_block ? 4 + plan.download_block.size() : 0) +
                             layout::kTrailerSize;
    }
  } catch (const json::exception& e) {
    throw ManifestError(path + ": " + e.what());
  } catch (const ManifestError& e) {
    throw ManifestError(path + ": " + e.what());
  }
  return m;
}
