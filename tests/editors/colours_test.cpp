// NES colours from the palette file, the uniform previews and "Edit Colors".

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QRadioButton>

#include "editors/edit_colors_dlg.h"
#include "editors/nes_colors.h"
#include "editors/uniform_preview.h"
#include "tests/editors/editor_test_support.h"

namespace qgu::editors {
namespace {

using testing::Control;

TEST(NesColors, PaletteFileReplacesTheBuiltInTable) {
  const std::string palette192 = [] {
    std::string bytes;
    for (int i = 0; i < 192; ++i) bytes.push_back(static_cast<char>(i));
    return bytes;
  }();
  struct Case {
    const char* what;
    std::string ini;       // empty: no ini file
    std::string palette;   // written as "pal.bin"
    uint32_t entry0;  // 0xRRGGBB
    uint32_t entry1;
    uint32_t entry63;
    bool readError;
  };
  const auto hex = [](base::RgbColor c) { return uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue; };
  const uint32_t builtIn0 = hex(BuiltInNesColors()[0]), builtIn1 = hex(BuiltInNesColors()[1]),
                 builtIn63 = hex(BuiltInNesColors()[63]);
  const Case cases[] = {
      {"no ini", "", palette192, builtIn0, builtIn1, builtIn63, false},
      {"in use", "[x]\r\nPaletteUse=1\r\nPaletteFile= pal.bin  \r\n", palette192, 0x000102, 0x030405, 0xBDBEBF, false},
      {"short file", "PaletteUse=1\nPaletteFile=pal.bin\n", "\x10\x20\x30\x40", 0x102030,
       (0x40u << 16) | (builtIn1 & 0xFFFF), builtIn63, false},
      {"name before the switch", "PaletteFile=pal.bin\nPaletteUse=1\n", palette192, builtIn0, builtIn1, builtIn63, false},
      {"switched off", "PaletteUse=0\nPaletteFile=pal.bin\n", palette192, builtIn0, builtIn1, builtIn63, false},
      {"missing palette file", "PaletteUse=1\nPaletteFile=none.bin\n", palette192, builtIn0, builtIn1, builtIn63, false},
      {"palette is a folder", "PaletteUse=1\nPaletteFile=sub\n", palette192, builtIn0, builtIn1, builtIn63, true},
      {"CR CR LF lines", "PaletteUse=1\r\r\nPaletteFile=pal.bin\r\r\n", palette192, 0x000102, 0x030405, 0xBDBEBF,
       false},
      {"longer palette: its start", "PaletteUse=1\nPaletteFile=pal.bin\n", palette192 + std::string(1344, 'x'),
       0x000102, 0x030405, 0xBDBEBF, false},
      {"palette is a device", "PaletteUse=1\nPaletteFile=/dev/zero\n", palette192, builtIn0, builtIn1, builtIn63, true},
  };
  for (const Case& c : cases) {
    testing::TempFolder folder;
    std::filesystem::create_directory(folder / "sub");
    if (!c.ini.empty()) testing::WriteBytes(folder / kPaletteIniName, c.ini);
    testing::WriteBytes(folder / "pal.bin", c.palette);
    const LoadedNesColors loaded = LoadNesColors(folder.path());
    EXPECT_EQ(hex(loaded.colours[0]), c.entry0) << c.what;
    EXPECT_EQ(hex(loaded.colours[1]), c.entry1) << c.what;
    EXPECT_EQ(hex(loaded.colours[63]), c.entry63) << c.what;
    EXPECT_EQ(loaded.readError, c.readError) << c.what;
  }

  // An ini that is no file is refused at once, never read to its end or waited on.
  for (const char* kind : {"folder", "device", "pipe"}) {
    testing::TempFolder folder;
    const std::filesystem::path ini = folder / kPaletteIniName;
    if (kind == std::string_view("folder")) std::filesystem::create_directory(ini);
    if (kind == std::string_view("device")) std::filesystem::create_symlink("/dev/zero", ini);
    if (kind == std::string_view("pipe")) {
      ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0);
    }
    const LoadedNesColors loaded = LoadNesColors(folder.path());
    EXPECT_TRUE(loaded.readError) << kind;
    EXPECT_EQ(hex(loaded.colours[1]), builtIn1) << kind;
  }
}

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

// Every described fill point lies in its area, and together they reach every
// skin, pants and jersey pixel of the figure.
TEST(UniformPreview, PaintsEveryAreaOfTheFigure) {
  const QImage figure = PlayerFigure();
  ASSERT_EQ(figure.size(), QSize(31, 48));
  const QImage preview = PaintUniformPreview({0x123456, 0x654321, 0x0A0B0C});
  for (int y = 0; y < figure.height(); ++y) {
    for (int x = 0; x < figure.width(); ++x) {
      const QRgb before = At(figure, x, y);
      const QRgb expected = before == kFigurePants    ? 0x123456
                            : before == kFigureJersey ? 0x654321
                            : before == kFigureSkin   ? 0x0A0B0C
                                                      : before;
      EXPECT_EQ(At(preview, x, y), expected) << x << "," << y;
    }
  }
}

// White pants (the case the 0x010101 step is for) and a white skin read from
// a file: the jersey still gets its own colour and stays out of the other areas.
TEST(UniformPreview, WhitePantsOrSkinDoNotJoinTheJersey) {
  const QImage whitePants = PaintUniformPreview({0xFFFFFF, 0xF83800, 0x000000});
  EXPECT_EQ(At(whitePants, 6, 12), 0xF83800u);   // jersey
  EXPECT_EQ(At(whitePants, 17, 3), 0xFFFFFFu);   // helmet
  EXPECT_EQ(At(whitePants, 17, 36), 0xFFFFFFu);  // pants below the jersey-coloured stripe
  const QImage whiteSkin = PaintUniformPreview({0x0000FF, 0xF83800, 0xFFFFFF});
  EXPECT_EQ(At(whiteSkin, 20, 9), 0xFFFFFFu);  // face
  EXPECT_EQ(At(whiteSkin, 20, 15), 0xF83800u);
}

TEST(EditColorsDlg, SkinRadiosCombosAndPreviews) {
  // Primary skin Medium; the secondary skin 0x30 is none of the three tones.
  CEditColorsDlg dialog({0x30, 0x16, 0x0F, 0x2A, 0x06, 0x30});
  EXPECT_TRUE(Control<QRadioButton>(&dialog, 220)->isChecked());
  EXPECT_EQ(dialog.SkinChoice(true), std::nullopt);
  EXPECT_EQ(Control<QComboBox>(&dialog, 262)->currentIndex(), 0x30);
  EXPECT_EQ(Control<QComboBox>(&dialog, 265)->currentIndex(), 0x2A);

  // A secondary colour repaints only the secondary preview.
  const std::array<int, 2> paintsBefore = dialog.PreviewPaints();
  auto* secondaryJersey = Control<QComboBox>(&dialog, 265);
  secondaryJersey->setFocus();
  QTest::keyClick(secondaryJersey, Qt::Key_Down);
  EXPECT_EQ(dialog.PreviewPaints()[0], paintsBefore[0]);
  EXPECT_EQ(dialog.PreviewPaints()[1], paintsBefore[1] + 1);
  EXPECT_EQ(dialog.Result()[kSecondaryJersey], 0x2B);

  // A group with no radio chosen comes back Dark; a radio stores its tone.
  EXPECT_EQ(dialog.Result()[kSecondarySkin], 0x0F);
  for (auto [id, tone] : {std::pair{222, 0x16}, {224, 0x06}, {223, 0x0F}}) {
    testing::Click(&dialog, id);
    EXPECT_EQ(dialog.Result()[kSecondarySkin], tone) << id;
    EXPECT_EQ(dialog.Result()[kPrimarySkin], 0x06);
  }
}

}  // namespace
}  // namespace qgu::editors
