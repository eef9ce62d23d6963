// SPDX-License-Identifier: GPL-3.0-or-later
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

// The file's lines, each with its own line end ("\r\n", "\n", or none for a
// last line without one), so that lines the writer does not change go back
// byte for byte; nullopt when the file cannot be read.
std::optional<std::vector<std::string>> ReadLines(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    return std::nullopt;
  }
  std::vector<std::string> lines;
  const std::string text = file.readAll().toStdString();
  size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// A line without its line end ("\n" or "\r\n"; a lone "\r" ends no line).
std::string Body(const std::string& line) {
  if (line.empty() || line.back() != '\n') return line;
  const size_t endBytes = line.size() > 1 && line[line.size() - 2] == '\r' ? 2 : 1;
  return line.substr(0, line.size() - endBytes);
}

// The line end of `line`, or `fallback` when it has none.
std::string EndingOf(const std::string& line, const std::string& fallback) {
  const std::string ending = line.substr(Body(line).size());
  return ending.empty() ? fallback : ending;
}

}  // namespace

std::optional<std::string> ReadIniValue(const std::string& path, const std::string& section,
                                        const std::string& key) {
  const auto lines = ReadLines(path);
  if (!lines) {
    return std::nullopt;
  }
  bool inSection = false;
  for (const std::string& rawLine : *lines) {
    const std::string line = Body(rawLine);
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
  // New lines take the line end the file already uses.
  const std::string newline = lines.empty() ? "\n" : EndingOf(lines.front(), "\n");
  std::vector<bool> written(values.size(), false);

  // Replace the keys that exist in the section and remember where the section
  // ends, so that missing keys go right after its last line.
  bool inSection = false;
  std::optional<size_t> sectionEnd;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string line = Body(lines[i]);
    if (const auto name = SectionName(line)) {
      inSection = SameName(*name, section);
      if (inSection) {
        sectionEnd = i + 1;
      }
      continue;
    }
    if (!inSection) {
      continue;
    }
    if (!Trim(line).empty()) {
      sectionEnd = i + 1;
    }
    const auto entry = ParseKeyLine(line);
    if (!entry) {
      continue;
    }
    for (size_t v = 0; v < values.size(); ++v) {
      if (!written[v] && SameName(entry->key, values[v].first)) {
        lines[i] = values[v].first + "=" + values[v].second + EndingOf(lines[i], newline);
        written[v] = true;
      }
    }
  }

  std::vector<std::string> missing;
  for (size_t v = 0; v < values.size(); ++v) {
    if (!written[v]) {
      missing.push_back(values[v].first + "=" + values[v].second + newline);
    }
  }
  if (!sectionEnd) {
    if (!lines.empty() && !Trim(Body(lines.back())).empty()) {
      lines.back() = Body(lines.back()) + EndingOf(lines.back(), newline);
      lines.push_back(newline);
    }
    lines.push_back("[" + section + "]" + newline);
    sectionEnd = lines.size();
  }
  // The line the missing keys follow gets a line end if it was the last one
  // and had none.
  if (!missing.empty()) {
    std::string& before = lines[*sectionEnd - 1];
    before = Body(before) + EndingOf(before, newline);
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), missing.begin(),
               missing.end());

  std::string content;
  for (const std::string& line : lines) {
    content += line;
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
