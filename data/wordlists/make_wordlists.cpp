// Writes the built-in word lists: every two-, three- and four-letter
// combination of a-z, and the full word list made from a dictionary file
// (lower-cased, letters a-z only, unique, sorted). Lines end in CR LF.
// usage: make_wordlists OUTPUT_FOLDER DICTIONARY
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <set>
#include <string>

namespace {

bool writeCombinations(const std::string &path, int length)
{
    std::ofstream out(path, std::ios::binary);
    std::string word(size_t(length), 'a');
    for (;;) {
        out << word << "\r\n";
        int position = length - 1;
        while (position >= 0 && word[size_t(position)] == 'z')
            word[size_t(position--)] = 'a';
        if (position < 0)
            break;
        ++word[size_t(position)];
    }
    return bool(out);
}

bool writeFullWordList(const std::string &path, const std::string &dictionary)
{
    std::ifstream in(dictionary, std::ios::binary);
    if (!in) {
        std::cerr << "make_wordlists: cannot read " << dictionary << '\n';
        return false;
    }
    std::set<std::string> words;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::transform(line.begin(), line.end(), line.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (!line.empty() && std::all_of(line.begin(), line.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
            words.insert(line);
    }
    std::ofstream out(path, std::ios::binary);
    for (const std::string &word : words)
        out << word << "\r\n";
    return bool(out);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::cerr << "usage: make_wordlists OUTPUT_FOLDER DICTIONARY\n";
        return 2;
    }
    const std::string folder = argv[1];
    const bool written =
        writeCombinations(folder + "/AllTwoLetter.txt", 2) && writeCombinations(folder + "/AllThreeLetter.txt", 3) &&
        writeCombinations(folder + "/AllFourLetter.txt", 4) && writeFullWordList(folder + "/FullWordList.txt", argv[2]);
    return written ? 0 : 1;
}
