// The INI reader and writer: a file read as lines, rewritten through a save file; see ini_file.h.
#include "app/ini_file.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cctype>

namespace {

std::string Trim(const std::string& text) {
  const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  auto first = std::find_if_not(text.begin(), text.end(), blank);
  auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
  return first < last ? std::string(first, last) : std::string();
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// "[Name]" -> "Name"; nullopt when the line is no section header.
std::optional<std::string> SectionName(const std::string& line) {
  const std::string trimmed = Trim(line);
  if (trimmed.size() < 2 || trimmed.front() != '[') {
    return std::nullopt;
  }
  const auto close = trimmed.find(']');
  if (close == std::string::npos) {
    return std::nullopt;
  }
  return Trim(trimmed.substr(1, close - 1));
}

struct KeyLine {
  std::string key;
  std::string value;
};

// "Key = Value" -> {Key, Value}; nullopt for comments and other lines.
std::optional<KeyLine> ParseKeyLine(const std::string& line) {
  const std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
    return std::nullopt;
  }
  const auto equals = trimmed.find('=');
  if (equals == std::string::npos) {
    return std::nullopt;
  }
  return KeyLine{Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1))};
}

// The file's lines without their line ends; nullopt when it cannot be read.
std::optional<std::vector<std::string>> ReadLines(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    return std::nullopt;
  }
  std::vector<std::string> lines;
  const QByteArray content = file.readAll();
  size_t start = 0;
  const std::string text = content.toStdString();
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::optional<std::string> ReadIniValue(const std::string& path, const std::string& section,
                                        const std::string& key) {
  const auto lines = ReadLines(path);
  if (!lines) {
    return std::nullopt;
  }
  bool inSection = false;
  for (const std::string& line : *lines) {
    if (const auto name = SectionName(line)) {
      inSection = SameName(*name, section);
    } else if (inSection) {
      const auto entry = ParseKeyLine(line);
      if (entry && SameName(entry->key, key)) {
        return entry->value;
      }
    }
  }
  return std::nullopt;
}

bool WriteIniValues(const std::string& path, const std::string& section,
                    const std::vector<std::pair<std::string, std::string>>& values) {
  std::vector<std::string> lines = ReadLines(path).value_or(std::vector<std::string>{});
  std::vector<bool> written(values.size(), false);

  // Replace the keys that exist in the section and remember where the section
  // ends, so that missing keys go right after its last line.
  bool inSection = false;
  std::optional<size_t> sectionEnd;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = SectionName(lines[i])) {
      inSection = SameName(*name, section);
      if (inSection) {
        sectionEnd = i + 1;
      }
      continue;
    }
    if (!inSection) {
      continue;
    }
    if (!Trim(lines[i]).empty()) {
      sectionEnd = i + 1;
    }
    const auto entry = ParseKeyLine(lines[i]);
    if (!entry) {
      continue;
    }
    for (size_t v = 0; v < values.size(); ++v) {
      if (!written[v] && SameName(entry->key, values[v].first)) {
        lines[i] = values[v].first + "=" + values[v].second;
        written[v] = true;
      }
    }
  }

  std::vector<std::string> missing;
  for (size_t v = 0; v < values.size(); ++v) {
    if (!written[v]) {
      missing.push_back(values[v].first + "=" + values[v].second);
    }
  }
  if (!sectionEnd) {
    if (!lines.empty() && !Trim(lines.back()).empty()) {
      lines.emplace_back();
    }
    lines.push_back("[" + section + "]");
    sectionEnd = lines.size();
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), missing.begin(),
               missing.end());

  std::string content;
  for (const std::string& line : lines) {
    content += line + "\n";
  }
  QSaveFile file(QString::fromStdString(path));
  // A file that may be written but lies in a folder that may not gets the
  // new content in place.
  file.setDirectWriteFallback(true);
  if (!file.open(QIODevice::WriteOnly)) {
    return false;
  }
  if (file.write(content.data(), static_cast<qint64>(content.size())) !=
      static_cast<qint64>(content.size())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}
