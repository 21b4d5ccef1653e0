// Reads /proc/self/smaps: each mapping's header line names what is mapped (nothing for
// anonymous memory), and its "Rss:" line gives the resident kilobytes.
#include "memory_map.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace play {

namespace {

constexpr size_t kShown = 12;
constexpr size_t kRegionsShown = 8;
constexpr double kKbPerMb = 1024.0;

// What a mapping holds, from its header line: the file's last path part, the kernel's name in
// brackets, or "anonymous".
std::string Holder(const std::string& header) {
  std::istringstream fields(header);
  std::string range, perms, offset, device, inode, path;
  fields >> range >> perms >> offset >> device >> inode;
  std::getline(fields, path);
  path.erase(0, path.find_first_not_of(' '));
  if (path.empty()) return "anonymous";
  if (path[0] == '[') return path;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void PrintMemoryMap() {
  std::ifstream smaps("/proc/self/smaps");
  if (!smaps) {
    std::printf("memory map: /proc/self/smaps could not be read\n");
    return;
  }
  std::map<std::string, long> kb;
  std::vector<std::pair<long, std::string>> regions;  // anonymous mappings: resident kB, range
  long anonymous = 0, total = 0;
  std::string holder, range;
  for (std::string line; std::getline(smaps, line);) {
    if (line.empty()) continue;
    const size_t colon = line.find(':');
    const bool field = colon != std::string::npos && colon < line.find(' ') &&
                       line.find('-') > colon;  // "Name:   value kB" lines, not range headers
    if (!field) {
      holder = Holder(line);
      range = line.substr(0, line.find(' '));
      continue;
    }
    if (line.rfind("Rss:", 0) == 0) {
      const long v = std::atol(line.c_str() + 4);
      kb[holder] += v;
      total += v;
      if (holder == "anonymous" || holder == "[heap]") regions.emplace_back(v, holder + " " + range);
    } else if (line.rfind("Anonymous:", 0) == 0) {
      anonymous += std::atol(line.c_str() + 10);
    }
  }
  std::vector<std::pair<long, std::string>> order;
  for (const auto& [name, v] : kb) order.emplace_back(v, name);
  std::sort(order.rbegin(), order.rend());
  std::printf("memory map: resident %.1f MB, of it anonymous (heap and private pages) %.1f MB; largest holders:\n",
              total / kKbPerMb, anonymous / kKbPerMb);
  for (size_t i = 0; i < order.size() && i < kShown; ++i) {
    std::printf("  %-40s %7.1f MB\n", order[i].second.c_str(), order[i].first / kKbPerMb);
  }
  // One large anonymous mapping is usually one large block (a texture, a sound buffer).
  std::sort(regions.rbegin(), regions.rend());
  std::printf("memory map: the largest anonymous mappings:\n");
  for (size_t i = 0; i < regions.size() && i < kRegionsShown; ++i) {
    std::printf("  %-48s %7.1f MB\n", regions[i].second.c_str(), regions[i].first / kKbPerMb);
  }
}

}  // namespace play
