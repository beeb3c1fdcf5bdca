#include "zarvo/svg_board.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <sstream>

#include "match/game_rules.h"

namespace zarvo::tool {
namespace {

constexpr int kCell = 32;         // side of a square, in pixels
constexpr int kMargin = 36;       // room for the coordinates
constexpr int kCaptionLine = 22;  // height of one caption line

int BoardPixels(int size) {
  return kCell * size;
}

int Centre(int index) {
  return kMargin + index * kCell + kCell / 2;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
  }
  return out;
}

// The document head and the board's background.
void BeginBoard(std::ostream& svg, int size, int captionLines) {
  // A small board keeps the large one's width, so the caption's lines fit beside it.
  const int width = 2 * kMargin + BoardPixels(kBoardSize);
  const int height = 2 * kMargin + BoardPixels(size) + captionLines * kCaptionLine;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
      << "\" viewBox=\"0 0 " << width << ' ' << height
      << "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
      << "<rect x=\"" << kMargin << "\" y=\"" << kMargin << "\" width=\"" << BoardPixels(size)
      << "\" height=\"" << BoardPixels(size) << "\" fill=\"#f3dca4\"/>\n";
}

void DrawGrid(std::ostream& svg, int size) {
  const int pixels = BoardPixels(size);
  svg << "<g stroke=\"#6b5a3a\" stroke-width=\"1\">\n";
  for (int i = 0; i <= size; ++i) {
    const int at = kMargin + i * kCell;
    svg << "<line x1=\"" << at << "\" y1=\"" << kMargin << "\" x2=\"" << at << "\" y2=\""
        << kMargin + pixels << "\"/>\n"
        << "<line x1=\"" << kMargin << "\" y1=\"" << at << "\" x2=\"" << kMargin + pixels
        << "\" y2=\"" << at << "\"/>\n";
  }
  svg << "</g>\n<g font-size=\"12\" fill=\"#333333\" text-anchor=\"middle\">\n";
  // X across the top, Y down the left: the coordinates of the move files and the brain protocol.
  for (int i = 0; i < size; ++i) {
    svg << "<text x=\"" << Centre(i) << "\" y=\"" << kMargin - 10 << "\">" << i << "</text>\n"
        << "<text x=\"" << kMargin / 2 << "\" y=\"" << Centre(i) + 4 << "\">" << i << "</text>\n";
  }
  svg << "</g>\n";
}

// A stone's number, in the colour that reads on it.
void DrawLabel(std::ostream& svg, TSquare square, char colour, const std::string& label) {
  svg << "<text x=\"" << Centre(square.X) << "\" y=\"" << Centre(square.Y) + 4 << "\" font-size=\""
      << (label.size() > 2 ? 10 : 12) << "\" text-anchor=\"middle\" fill=\""
      << (colour == 'x' ? "#ffffff" : "#1a1a1a") << "\">" << Escaped(label) << "</text>\n";
}

void DrawStone(std::ostream& svg, TSquare square, char colour, const std::string& label,
               bool dashedRing) {
  const bool x = colour == 'x';
  svg << "<circle class=\"stone\" cx=\"" << Centre(square.X) << "\" cy=\"" << Centre(square.Y)
      << "\" r=\"" << kCell / 2 - 2 << "\" fill=\"" << (x ? "#1a1a1a" : "#fafafa")
      << "\" stroke=\"#1a1a1a\" stroke-width=\"1.5\"/>\n";
  if (dashedRing) {
    svg << "<circle cx=\"" << Centre(square.X) << "\" cy=\"" << Centre(square.Y) << "\" r=\""
        << kCell / 2 - 6 << "\" fill=\"none\" stroke=\"" << (x ? "#bbbbbb" : "#777777")
        << "\" stroke-width=\"1\" stroke-dasharray=\"2,2\"/>\n";
  }
  if (!label.empty()) DrawLabel(svg, square, colour, label);
}

void DrawCaption(std::ostream& svg, int size, int line, const std::string& text) {
  svg << "<text x=\"" << kMargin << "\" y=\""
      << 2 * kMargin + BoardPixels(size) + line * kCaptionLine - 12
      << "\" font-size=\"14\" fill=\"#1a1a1a\">" << Escaped(text) << "</text>\n";
}

void DrawRing(std::ostream& svg, TSquare square, const char* colour, double width) {
  svg << "<circle cx=\"" << Centre(square.X) << "\" cy=\"" << Centre(square.Y) << "\" r=\""
      << kCell / 2 - 1 << "\" fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"" << width
      << "\"/>\n";
}

}  // namespace

std::string GameSvg(const match::TGameRecord& record) {
  std::ostringstream svg;
  const int size = record.BoardSize;
  BeginBoard(svg, size, 3);
  DrawGrid(svg, size);
  const std::vector<TSquare> stones = record.Stones();

  // In layers: the stones, then the winning five's red line across them and a red ring on each
  // of its stones, then every stone's number on top, so the line shows on black and white stones
  // alike and no number is hidden under it. Without a five, the last stone is ringed.
  const std::vector<TSquare> five = record.WinningLine();
  for (std::size_t i = 0; i < stones.size(); ++i)
    DrawStone(svg, stones[i], match::ColourOfStone(i), "", i < record.Opening.size());
  if (!five.empty()) {
    svg << "<line class=\"five\" x1=\"" << Centre(five.front().X) << "\" y1=\""
        << Centre(five.front().Y) << "\" x2=\"" << Centre(five.back().X) << "\" y2=\""
        << Centre(five.back().Y)
        << "\" stroke=\"#e0201b\" stroke-opacity=\"0.8\" stroke-width=\"5\" "
           "stroke-linecap=\"round\"/>\n";
  }
  for (const TSquare& square : five) DrawRing(svg, square, "#e0201b", 3);
  for (std::size_t i = 0; i < stones.size(); ++i)
    DrawLabel(svg, stones[i], match::ColourOfStone(i), std::to_string(i + 1));
  if (five.empty() && stones.size() > record.Opening.size())
    DrawRing(svg, stones.back(), "#e07b1b", 2.5);

  DrawCaption(svg, size, 1,
              "Game " + std::to_string(record.Number) + " (" + std::to_string(size) + " x " +
                  std::to_string(size) + ", " +
                  std::string(match::RuleName(record.ExactlyFive, record.Renju)) +
                  "). x (black): " + record.XEngine);
  DrawCaption(svg, size, 2, "o (white): " + record.OEngine);
  DrawCaption(svg, size, 3,
              std::string(match::OutcomeName(record.Outcome)) + ", " +
                  std::string(match::ReasonName(record.Reason)) +
                  (record.Detail.empty() ? "" : ": " + record.Detail) + " (" +
                  std::to_string(stones.size()) + " stones)");
  svg << "</svg>\n";
  return svg.str();
}

std::string PositionSvg(const TPositionPicture& picture) {
  std::ostringstream svg;
  const int size = picture.BoardSize;
  BeginBoard(svg, size, static_cast<int>(picture.Caption.size()));
  DrawGrid(svg, size);
  // The position's stones unnumbered, in their own colours; the line's stones numbered from 1,
  // the side to move first, each ringed so they stand apart from the stones already there.
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < std::min(size, static_cast<int>(picture.Rows[y].size())); ++x)
      if (const char stone = picture.Rows[y][x]; stone == 'x' || stone == 'o')
        DrawStone(svg, {x, y}, stone, "", false);
  char colour = picture.ToMove;
  for (std::size_t i = 0; i < picture.Line.size(); ++i) {
    DrawStone(svg, picture.Line[i], colour, std::to_string(i + 1), false);
    DrawRing(svg, picture.Line[i], i == 0 ? "#1f4fd1" : "#e07b1b", i == 0 ? 3 : 1.5);
    colour = match::OtherColour(colour);
  }
  for (std::size_t line = 0; line < picture.Caption.size(); ++line)
    DrawCaption(svg, size, static_cast<int>(line) + 1, picture.Caption[line]);
  svg << "</svg>\n";
  return svg.str();
}

std::string HeatMapSvg(const THeatMap& map) {
  std::ostringstream svg;
  BeginBoard(svg, kBoardSize, 2);
  int32_t best = 0;
  int32_t least = INT32_MAX;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (map.Rows[y][x] == '.') {
        best = std::max(best, map.Values[x][y]);
        least = std::min(least, std::max<int32_t>(0, map.Values[x][y]));
      }

  // White for the least value (what any quiet square offers), deep red for the best; the square
  // root spreads the many small values apart from the few large ones.
  const auto heat = [&](int32_t value) {
    value = std::max<int32_t>(0, value);
    return best > least ? std::sqrt(static_cast<double>(value - least) / (best - least)) : 0.0;
  };
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      if (map.Rows[y][x] != '.') continue;
      const double t = heat(map.Values[x][y]);
      svg << "<rect x=\"" << kMargin + x * kCell << "\" y=\"" << kMargin + y * kCell
          << "\" width=\"" << kCell << "\" height=\"" << kCell << "\" fill=\"rgb("
          << static_cast<int>(255 - t * 40) << ',' << static_cast<int>(255 - t * 207) << ','
          << static_cast<int>(255 - t * 224) << ")\"/>\n";
    }
  }
  DrawGrid(svg, kBoardSize);
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const char stone = map.Rows[y][x];
      if (stone != '.') {
        DrawStone(svg, {x, y}, stone, "", false);
        continue;
      }
      const int32_t value = map.Values[x][y];
      if (best > 0 && value == best)
        svg << "<rect class=\"best\" x=\"" << kMargin + x * kCell + 2 << "\" y=\""
            << kMargin + y * kCell + 2 << "\" width=\"" << kCell - 4 << "\" height=\"" << kCell - 4
            << "\" fill=\"none\" stroke=\"#1f4fd1\" stroke-width=\"2.5\"/>\n";
      if (value <= 0) continue;
      const int fontSize = value >= 10000 ? 7 : value >= 1000 ? 8 : 9;
      svg << "<text x=\"" << Centre(x) << "\" y=\"" << Centre(y) + 3 << "\" font-size=\""
          << fontSize << "\" text-anchor=\"middle\" fill=\""
          << (heat(value) > 0.7 ? "#ffffff" : "#333333") << "\">" << value << "</text>\n";
    }
  }
  DrawCaption(svg, kBoardSize, 1, map.Title);
  DrawCaption(svg, kBoardSize, 2, "Best value " + std::to_string(best) + " (outlined in blue)");
  svg << "</svg>\n";
  return svg.str();
}

}  // namespace zarvo::tool
