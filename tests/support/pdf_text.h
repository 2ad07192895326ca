// What a PDF file holds, read with poppler-utils as a user's tools read it: its pages, its
// text and its pictures.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace testing_support {

// The standard output of a shell command.
inline std::string output_of(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

inline std::string quoted(const std::filesystem::path& p) {
    std::string out = "'";
    for (char c : p.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The number of pages (pdfinfo); 0 when the file is no PDF.
inline int pdf_pages(const std::filesystem::path& pdf) {
    const std::string info = output_of("pdfinfo " + quoted(pdf) + " 2>/dev/null");
    const auto at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}

// The text of one page (1-based; 0: every page), laid out as on the page. A PDF may name a
// Chinese letter by its Kangxi radical form (工 as ⼯, the same picture): such letters are
// read as the letter a reader takes them for.
inline std::string pdf_text(const std::filesystem::path& pdf, int page = 0) {
    const std::string pages =
        page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
    return output_of("pdftotext -layout" + pages + " " + quoted(pdf) +
                     " - 2>/dev/null | /usr/bin/python3 -c \"import sys, unicodedata; "
                     "sys.stdout.write(''.join(unicodedata.normalize('NFKC', c) "
                     "if 0x2E80 <= ord(c) <= 0x2FDF else c for c in sys.stdin.read()))\"");
}

// The number of pictures on its pages (pdfimages -list).
inline int pdf_images(const std::filesystem::path& pdf) {
    const std::string list = output_of("pdfimages -list " + quoted(pdf) + " 2>/dev/null");
    int lines = 0;
    for (char c : list) lines += c == '\n';
    return std::max(0, lines - 2);  // two heading lines
}

}  // namespace testing_support
