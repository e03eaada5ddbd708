#include "report.h"

#include <map>
#include <sstream>

#include "disk.h"
#include "env/file_source.h"
#include "package/file_info.h"
#include "package/package_reader.h"
#include "package/strings_block.h"
#include "package/token.h"
#include "setup/extract.h"

using json = nlohmann::ordered_json;

namespace {

json Stamp(uint32_t stamp) {
  std::string text = FormatDosTime(stamp);
  return text.empty() ? json(stamp) : json(text);
}

json TrailerJson(const Trailer& t) {
  json j;
  j["package_version"] = t.PackageVersion;
  j["blocks_offset"] = t.BlocksOffset;
  j["files_count"] = t.FilesCount;
  j["magic_ok"] = t.HasPackage();
  j["checksum"] = t.Checksum;
  j["space_required"] = json::array();
  for (uint32_t v : t.SpaceRequired) j["space_required"].push_back(v);
  j["show_temp_drive_notice"] = t.ShowTempDriveNotice();
  j["multi_volume"] = t.MultiVolume();
  j["spanned_cd"] = t.SpannedCd();
  j["show_activity_bar"] = t.ShowActivityBar();
  j["log_file"] = t.LogFile();
  j["flag_bits_5_7"] = t.Flags >> 5;
  j["web_download"] = t.WebDownload;
  j["confirm_download"] = t.ConfirmDownload;
  j["make_agent_copy"] = t.MakeAgentCopy;
  j["this_is_auto_update_prog"] = t.ThisIs_AutoUpdateProg;
  j["byte_0"] = t.reserved0;
  j["bytes_2"] = {t.reserved2[0], t.reserved2[1]};
  j["bytes_20"] = json::array();
  for (uint8_t b : t.reserved20) j["bytes_20"].push_back(b);
  j["byte_64"] = t.reserved64;
  j["trailer_size"] = t.TrailerSize;
  return j;
}

json Token(const std::string& stored) {
  std::string plain;
  if (stored.empty()) return "";
  if (TryDescrambleToken(stored, &plain)) return plain;
  return nullptr;  // does not decode
}

json StringsJson(const std::string& block, std::string* problem) {
  std::vector<strings_block::Section> sections;
  std::string error;
  if (!strings_block::Parse(block, &sections, &error)) *problem = error;
  json list = json::array();
  for (const auto& s : sections) {
    json j;
    j["language"] = s.language;
    json keys = json::object();
    for (const auto& e : s.entries) {
      if (e.first == "Charset" || e.first == "FontSize" || e.first == "FontName")
        j[e.first] = e.second;
      else
        keys[e.first] = e.second;
    }
    j["keys"] = keys;
    list.push_back(j);
  }
  return list;
}

class Collector : public ExtractHost {
 public:
  std::vector<ChunkReport> chunks;
  void ChunkRead(const ChunkReport& c) override { chunks.push_back(c); }
  bool AskOkCancel(const std::string&) override { return false; }  // nobody to ask
};

}  // namespace

std::string FirstDataVolume(const std::string& path) {
  FileSource file(path);
  if (file.is_open() && ReadTrailer(file).HasPackage() && ReadTrailer(file).SpannedCd())
    return path + ".001";
  return path;
}

Inspection InspectSetup(const std::string& path) {
  Inspection out;
  json& j = out.report;
  auto problem = [&out](const std::string& text) {
    if (out.problem.empty()) out.problem = text;
  };
  j["file"] = path;
  FileSource file(path);
  if (!file.is_open()) {
    problem("cannot open " + path + ": " + ErrnoText());
    j["verdict"] = {{"ok", false}, {"problem", out.problem}};
    return out;
  }
  j["size"] = file.Size();
  TGFileInfo info(file);
  const Trailer& t = info.trailer();
  j["trailer"] = TrailerJson(t);
  if (!t.HasPackage()) {
    problem("no package trailer at the end of " + path + " (not a setup file, or cut short)");
    j["verdict"] = {{"ok", false}, {"problem", out.problem}};
    return out;
  }
  json options;
  options["info_url"] = BlockField(info.options_block(), 0);
  options["info_file_name"] = BlockField(info.options_block(), 1);
  options["agent_file_name"] = info.AgentFileName();
  options["project_token"] = Token(info.ProjectToken(false));
  options["project_token_stored"] = info.ProjectToken(false);
  options["hide_extraction"] = info.HideExtraction();
  j["options"] = options;
  if (t.PackageVersion > 2) {
    json d;
    d["url"] = info.DownloadUrl();
    d["setup_file_name"] = info.SetupFileName();
    d["always_download"] = info.AlwaysDownload();
    d["token"] = Token(info.DownloadToken(false));
    d["token_stored"] = info.DownloadToken(false);
    std::string size = info.DownloadSize();
    char* end = nullptr;
    long long n = std::strtoll(size.c_str(), &end, 10);
    d["size"] = !size.empty() && end && *end == 0 ? json(n) : json(size);
    j["download"] = d;
  } else {
    j["download"] = nullptr;
  }
  std::string stringsProblem;
  j["strings"] = StringsJson(info.strings_block(), &stringsProblem);
  if (!stringsProblem.empty()) problem("strings block: " + stringsProblem);

  // The volumes, in the order the stub reads them.
  const bool spanned = t.SpannedCd();
  j["spanned_cd"] = spanned;
  const std::string first = spanned ? path + ".001" : path;
  json volumes = json::array();
  std::map<int, int64_t> trailerStart;  // per volume: where its chunks must end
  auto describe = [&](const std::string& vpath, int index) -> bool {
    json v;
    v["path"] = vpath;
    FileSource vf(vpath);
    if (!vf.is_open()) {
      v["missing"] = true;
      volumes.push_back(v);
      problem("volume " + vpath + " is missing");
      return false;
    }
    Trailer vt = ReadTrailer(vf);
    int64_t dataEnd = std::min(PackageDataEnd(vf), vf.Size());
    uint32_t sum = FileChecksum(vf, vt.TrailerSize);
    v["size"] = vf.Size();
    v["package_end"] = IsExecutable(vf) ? PackageEnd(vf) : 0;
    v["data_end"] = dataEnd;
    v["magic_ok"] = vt.HasPackage();
    v["blocks_offset"] = vt.BlocksOffset;
    v["multi_volume"] = vt.MultiVolume();
    v["checksum"] = {{"stored", vt.Checksum},
                     {"computed", sum},
                     {"compared", sum != layout::kNoChecksum && vt.Checksum != layout::kNoChecksum},
                     {"accepted", ChecksumAccepted(sum, vt.Checksum)}};
    volumes.push_back(v);
    if (!vt.HasPackage())
      problem("no package trailer at the end of " + vpath + " (not a setup file, or cut short)");
    else if (!ChecksumAccepted(sum, vt.Checksum))
      problem("checksum mismatch in " + vpath + " (stored " + std::to_string(vt.Checksum) +
              ", computed " + std::to_string(sum) + ")");
    if (index > 0) trailerStart[index] = dataEnd - int64_t(vt.TrailerSize);
    return vt.HasPackage() && vt.MultiVolume();
  };
  if (spanned) describe(path, 0);
  for (int k = 1; k < 100000; ++k)
    if (!describe(k == 1 ? first : VolumePath(first, k), k)) break;
  j["volumes"] = volumes;

  // Every chunk, read as the stub reads it.
  DiskVolumes disk;
  CountingTarget target;
  Collector host;
  ExtractRequest request;
  request.source = first;
  if (t.MakeAgentCopy) request.agent_file_name = info.AgentFileName();
  ExtractResult r = Extract(request, &disk, &target, &host);
  if (!r.ok && !r.reason.empty()) problem(r.reason);
  if (r.cancelled) problem("volume " + r.missing_volume + " is missing");
  if (r.volumes_without_package) problem("a volume has no package trailer");

  json chunks = json::array();
  std::map<int, int64_t> lastEnd;
  std::map<std::string, size_t> fileIndex;
  json files = json::array();
  json engine = nullptr;
  for (const ChunkReport& c : host.chunks) {
    int64_t size = c.length < 0 ? -int64_t(c.length) : int64_t(c.length);
    lastEnd[c.volume] = c.offset + 4 + size;
    if (c.header_block) continue;
    json cj;
    cj["volume"] = c.volume;
    cj["offset"] = c.offset;
    cj["kind"] = c.length > 0 ? "zlib" : "stored";
    cj["stored_size"] = size;
    cj["name"] = c.name_field;
    cj["stamp"] = c.stamp;
    cj["content_size"] = c.content_size;
    cj["file_bytes"] = c.file_bytes;
    chunks.push_back(cj);
    if (c.name.empty()) continue;
    auto found = fileIndex.find(c.name);
    if (found == fileIndex.end()) {
      json f;
      f["chunk_name"] = c.name_field;
      f["name"] = c.name;
      f["stamp"] = Stamp(c.stamp);
      f["size"] = 0;
      f["chunks"] = 0;
      fileIndex[c.name] = files.size();
      files.push_back(f);
      found = fileIndex.find(c.name);
    }
    json& f = files[found->second];
    f["size"] = f["size"].get<int64_t>() + c.file_bytes;
    f["chunks"] = f["chunks"].get<int>() + 1;
  }
  json payload = json::array();
  for (json& f : files) {
    std::string field = f["chunk_name"];
    size_t star = field.find('*');
    if (star != std::string::npos) {
      engine = {{"name", f["name"]}, {"parameters", field.substr(star + 1)},
                {"stamp", f["stamp"]}, {"size", f["size"]}, {"chunks", f["chunks"]}};
      continue;
    }
    std::string name = f["name"];
    size_t hash = name.find('#');
    f["name"] = hash == 5 ? name.substr(6) : name;  // "00000#name": the file's own name
    payload.push_back(f);
  }
  j["engine"] = engine;
  j["files"] = payload;
  j["chunks"] = chunks;
  // Each volume's blocks and chunks must fill it up to its trailer: a gap or
  // an overlap means its lengths or its BlocksOffset are wrong.
  if (r.ok && out.problem.empty())
    for (const auto& start : trailerStart) {
      auto end = lastEnd.find(start.first);
      if (end == lastEnd.end())
        problem("volume " + std::to_string(start.first) +
                " holds no header blocks where its trailer says (offset beyond its data)");
      else if (end->second != start.second)
        problem("the chunks of volume " + std::to_string(start.first) + " end at " +
                std::to_string(end->second) + ", not where its trailer begins (" +
                std::to_string(start.second) + ")");
    }
  out.ok = out.problem.empty();
  j["verdict"] = {{"ok", out.ok}, {"problem", out.problem}};
  return out;
}

std::string InspectText(const json& j) {
  std::ostringstream o;
  o << "File: " << j["file"].get<std::string>();
  if (j.contains("size")) o << " (" << j["size"] << " bytes)";
  o << "\n";
  if (j.contains("trailer")) {
    const json& t = j["trailer"];
    o << "Trailer: PackageVersion " << t["package_version"] << ", BlocksOffset "
      << t["blocks_offset"] << ", FilesCount " << t["files_count"] << ", Magic "
      << (t["magic_ok"].get<bool>() ? "OK" : "WRONG") << ", Checksum " << t["checksum"]
      << ", TrailerSize " << t["trailer_size"] << "\n";
    o << "  Flags:";
    const char* names[] = {"show_temp_drive_notice", "multi_volume", "spanned_cd",
                           "show_activity_bar", "log_file"};
    bool any = false;
    for (const char* n : names)
      if (t[n].get<bool>()) {
        o << " " << n;
        any = true;
      }
    if (t["flag_bits_5_7"].get<int>()) o << " bits5-7=" << t["flag_bits_5_7"], any = true;
    if (!any) o << " none";
    o << "\n  web_download " << t["web_download"] << ", confirm_download "
      << t["confirm_download"] << ", make_agent_copy " << t["make_agent_copy"]
      << ", this_is_auto_update_prog " << t["this_is_auto_update_prog"] << "\n";
    o << "  SpaceRequired: exact " << t["space_required"][0];
    for (int i = 1; i < 9; ++i) o << ", " << (256 << i) << ": " << t["space_required"][i];
    o << "\n  Unnamed bytes: +0 " << t["byte_0"] << ", +2 " << t["bytes_2"].dump() << ", +20 "
      << t["bytes_20"].dump() << ", +64 " << t["byte_64"] << "\n";
  }
  if (j.contains("options")) {
    const json& p = j["options"];
    o << "Options: InfoUrl \"" << p["info_url"].get<std::string>() << "\", InfoFileName \""
      << p["info_file_name"].get<std::string>() << "\", AgentFileName \""
      << p["agent_file_name"].get<std::string>() << "\", ProjectToken "
      << (p["project_token"].is_null() ? "(does not decode)" : p["project_token"].dump())
      << ", HideExtraction " << (p["hide_extraction"].get<bool>() ? "yes" : "no") << "\n";
  }
  if (j.contains("download") && !j["download"].is_null()) {
    const json& d = j["download"];
    o << "Download: DownloadUrl \"" << d["url"].get<std::string>() << "\", SetupFileName \""
      << d["setup_file_name"].get<std::string>() << "\", AlwaysDownload "
      << (d["always_download"].get<bool>() ? "yes" : "no") << ", DownloadToken "
      << (d["token"].is_null() ? "(does not decode)" : d["token"].dump()) << ", DownloadSize "
      << d["size"] << "\n";
  }
  if (j.contains("strings")) {
    for (const json& s : j["strings"]) {
      o << "Strings [" << s["language"].get<std::string>() << "]";
      for (const char* h : {"Charset", "FontSize", "FontName"})
        if (s.contains(h)) o << " " << h << "=" << s[h].get<std::string>();
      o << "\n";
      for (auto it = s["keys"].begin(); it != s["keys"].end(); ++it)
        o << "  " << it.key() << "=" << it.value().get<std::string>() << "\n";
    }
  }
  if (j.contains("volumes")) {
    for (const json& v : j["volumes"]) {
      o << "Volume " << v["path"].get<std::string>();
      if (v.contains("missing")) {
        o << ": missing\n";
        continue;
      }
      o << ": " << v["size"] << " bytes, data end " << v["data_end"];
      if (v["package_end"].get<int64_t>()) o << " (package end " << v["package_end"] << ")";
      const json& c = v["checksum"];
      o << ", checksum " << (c["compared"].get<bool>() ? "compared, " : "not compared, ")
        << (c["accepted"].get<bool>() ? "OK" : "MISMATCH")
        << (v["multi_volume"].get<bool>() ? ", more volumes follow" : "") << "\n";
    }
  }
  if (j.contains("engine") && !j["engine"].is_null()) {
    const json& e = j["engine"];
    o << "Engine: " << e["name"].get<std::string>() << " parameters \""
      << e["parameters"].get<std::string>() << "\", " << e["size"] << " bytes, stamp "
      << e["stamp"] << "\n";
  }
  if (j.contains("chunks")) {
    o << "Chunks:\n";
    for (const json& c : j["chunks"])
      o << "  vol " << c["volume"] << " @" << c["offset"] << " " << c["kind"].get<std::string>()
        << " " << c["stored_size"] << " -> " << c["file_bytes"] << "  "
        << c["name"].get<std::string>() << "  " << Stamp(c["stamp"].get<uint32_t>()) << "\n";
  }
  const json& v = j["verdict"];
  o << (v["ok"].get<bool>() ? "Verdict: OK" : "Verdict: " + v["problem"].get<std::string>())
    << "\n";
  return o.str();
}
