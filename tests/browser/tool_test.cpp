// lumograph-table run as a program: its lines, its messages and its exit status.
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "browser/core/row_texts.h"
#include "exif/exif_tags.h"
#include "tests/support/jpeg_writer.h"
#include "tests/support/temp_dir.h"

using namespace lumo::test;
namespace tag = exif::tag;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the tool in `dir` with the arguments, its output captured in files there.
ToolRun RunTable(const TempDir& dir, const std::string& arguments) {
    const std::string out = dir / "stdout.txt";
    const std::string err = dir / "stderr.txt";
    const std::string command = "cd '" + dir.path() + "' && '" LUMOGRAPH_TABLE "' " + arguments +
                                " >'" + out + "' 2>'" + err + "'";
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(out);
    run.err = Slurp(err);
    return run;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.push_back("");
    return parts;
}

} // namespace

TEST(TableTool, OneLinePerFileWithTwentyNineColumns) {
    TempDir dir;
    TiffBlock block;
    block.ascii(Directory::Ifd0, tag::Make, "Can\ton\r")
        .ascii(Directory::Ifd0, tag::Model, "two\nlines")
        .shorts(Directory::Exif, tag::Flash, {1});
    JpegWriter().jfif().exif(block).picture().writeFile(dir / "tabs.jpg");
    JpegWriter().jfif().picture().writeFile(dir / "plain.jpg");

    const ToolRun run = RunTable(dir, "tabs.jpg ./plain.jpg");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> lines = Split(run.out, '\n');
    ASSERT_EQ(lines.size(), 3u) << run.out; // two lines and the empty text after the last LF
    EXPECT_EQ(lines[2], "");

    const std::vector<std::string> tabs = Split(lines[0], '\t');
    ASSERT_EQ(tabs.size(), 29u);
    EXPECT_EQ(tabs[0], "tabs.jpg");
    EXPECT_EQ(tabs[1], "1KB");
    EXPECT_EQ(tabs[2], "Can on") << "TAB inside, CR trimmed at the end";
    EXPECT_EQ(tabs[3], "two lines");
    EXPECT_EQ(tabs[28], "Flash: 1 (Flash)");

    const std::vector<std::string> dashes = Split(lines[1], '\t');
    ASSERT_EQ(dashes.size(), 29u);
    EXPECT_EQ(dashes[0], "plain.jpg");
    EXPECT_EQ(std::count(dashes.begin(), dashes.end(), "-"), 27);
}

TEST(TableTool, UnreadableArgumentsAreReportedAndTheOthersStillListed) {
    TempDir dir;
    JpegWriter().jfif().picture().writeFile(dir / "a.jpg");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const ToolRun run = RunTable(dir, "missing.jpg pipe a.jpg");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("missing.jpg"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("pipe"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
    EXPECT_EQ(run.out.substr(0, 6), "a.jpg\t");
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
}

TEST(TableTool, AFolderPrintsTheHeadersAndTheRowsTheTableLists) {
    TempDir dir;
    std::filesystem::create_directories(dir / "shots/d.jpg"); // a folder named like a picture
    JpegWriter().jfif().picture().writeFile(dir / "shots/b.jpg");
    JpegWriter().jfif().picture().writeFile(dir / "shots/a.JPG");
    JpegWriter().jfif().picture().writeFile(dir / "shots/.e.jpg"); // hidden, still listed
    JpegWriter().jfif().picture().writeFile(dir / "shots/c.jpeg");
    const ToolRun run = RunTable(dir, "shots");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Split(run.out, '\n');
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(Split(lines[0], '\t'),
              std::vector<std::string>(ImageTableHeaders.begin(), ImageTableHeaders.end()));
    EXPECT_EQ(Split(lines[1], '\t')[0], ".e.jpg");
    EXPECT_EQ(Split(lines[2], '\t')[0], "a.JPG");
    EXPECT_EQ(Split(lines[3], '\t')[0], "b.jpg");
    EXPECT_EQ(Split(lines[3], '\t').size(), 29u);
}

TEST(TableTool, ArgumentsAreHostPathsExactlyAsGiven) {
    TempDir dir;
    const auto picture = [](const std::string& path, const char* make) {
        TiffBlock block;
        block.ascii(Directory::Ifd0, tag::Make, make);
        JpegWriter().jfif().exif(block).picture().writeFile(path);
    };
    // A backslash is a byte of a name, not a separator.
    std::filesystem::create_directories(dir / "back");
    picture(dir / "back\\slash.jpg", "one name");
    picture(dir / "back/slash.jpg", "a folder and a name");
    // ".." after a link goes up from where the link leads.
    std::filesystem::create_directories(dir / "real/sub");
    std::filesystem::create_directories(dir / "pics");
    std::filesystem::create_directories(dir / "real/pics");
    std::filesystem::create_directory_symlink("real/sub", dir / "link");
    picture(dir / "pics/x.jpg", "beside the link");
    picture(dir / "real/pics/x.jpg", "where the link leads");

    ToolRun run = RunTable(dir, "'back\\slash.jpg' link/../pics/x.jpg link/../pics");
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = Split(run.out, '\n');
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(Split(lines[0], '\t')[0], "back\\slash.jpg");
    EXPECT_EQ(Split(lines[0], '\t')[2], "one name");
    EXPECT_EQ(Split(lines[1], '\t')[2], "where the link leads");
    EXPECT_EQ(Split(lines[3], '\t')[2], "where the link leads");

    // An absolute path works in a current folder that has been deleted; an empty argument names
    // nothing (it does not list the current folder).
    std::filesystem::create_directories(dir / "gone");
    const std::string out = dir / "stdout.txt";
    const std::string command = "cd '" + (dir / "gone") + "' && rmdir '" + (dir / "gone") +
                                "' && '" LUMOGRAPH_TABLE "' '" + (dir / "pics/x.jpg") + "' '' >'" +
                                out + "' 2>/dev/null";
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    lines = Split(Slurp(out), '\n');
    ASSERT_EQ(lines.size(), 2u) << Slurp(out);
    EXPECT_EQ(Split(lines[0], '\t')[2], "beside the link");
    run = RunTable(dir, "''");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("empty path"), std::string::npos) << run.err;
}

TEST(TableTool, ReportPrintsThePropertiesLinesOfOnePicture) {
    TempDir dir;
    TiffBlock block(ByteOrder::Motorola);
    block.ascii(Directory::Ifd0, tag::Make, "Canon").shorts(Directory::Exif, tag::Flash, {25});
    JpegWriter().jfif().exif(block).picture().writeFile(dir / "full.jpg");
    JpegWriter().jfif().picture().writeFile(dir / "plain.jpg");

    ToolRun run = RunTable(dir, "--report full.jpg");
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = Split(run.out, '\n');
    ASSERT_EQ(lines.size(), 31u) << run.out;
    EXPECT_EQ(lines[0], "Filename : full.jpg");
    EXPECT_EQ(lines[2], "Dimension: 8 x 8");
    EXPECT_EQ(lines[3], "Make: Canon");
    EXPECT_EQ(lines[29], "Flash: 25 (Flash (Auto))");

    run = RunTable(dir, "--report plain.jpg");
    lines = Split(run.out, '\n');
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(lines[0], "Exif Header is not valid");

    // A picture that cannot be decoded ends the report with a message, as the dialog would.
    std::ofstream(dir / "junk.jpg") << "not a picture";
    run = RunTable(dir, "--report junk.jpg");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("junk.jpg"), std::string::npos) << run.err;
}
