#include "qslconvert.h"

#include <map>
#include <vector>

#include "schema/qsldb.h"

namespace kstools {
namespace {

struct Entry {
  std::string manager, date;
  std::vector<std::string> others;
  std::size_t order = 0;
};

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool isCall(const std::string& text) {
  if (text.empty() || text.size() > qsltext::kCallWidth) return false;
  for (char c : text)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/')) return false;
  return true;
}

}  // namespace

QslConversion convertQslManagers(std::istream& in) {
  QslConversion out;
  std::map<std::string, Entry> calls;
  std::vector<std::string> order;
  std::string line;
  while (std::getline(in, line)) {
    if (trimmed(line).empty()) continue;
    const std::size_t first = line.find(';');
    const std::size_t second = first == std::string::npos ? first : line.find(';', first + 1);
    if (second == std::string::npos) {
      ++out.skipped;
      continue;
    }
    std::string call = trimmed(line.substr(0, first));
    for (char& c : call) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    const std::string manager = trimmed(line.substr(first + 1, second - first - 1));
    const std::string date = trimmed(line.substr(second + 1));
    if (!isCall(call) || manager.empty() || manager.size() > qsltext::kCallWidth) {
      ++out.skipped;
      continue;
    }
    auto [it, added] = calls.try_emplace(call);
    Entry& entry = it->second;
    if (added) {
      entry = Entry{manager, date, {}, order.size()};
      order.push_back(call);
    } else if (date > entry.date) {
      entry.others.push_back(entry.manager);
      entry.manager = manager;
      entry.date = date;
    } else if (manager != entry.manager) {
      entry.others.push_back(manager);
    }
  }
  for (const std::string& call : order) {
    const Entry& entry = calls[call];
    qsltext::QslLine q;
    q.call = call;
    q.via = entry.manager;
    q.comment = "Listed " + entry.date;
    if (!entry.others.empty()) {
      q.comment += " (also";
      for (const std::string& other : entry.others) q.comment += " " + other;
      q.comment += ")";
    }
    if (q.comment.size() > qsltext::kCommentWidth) q.comment.resize(qsltext::kCommentWidth);
    out.text += qsltext::formatQslLine(q);
    ++out.calls;
  }
  out.text += "\r\n";
  return out;
}

}  // namespace kstools
