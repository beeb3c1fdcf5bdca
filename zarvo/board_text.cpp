#include "zarvo/board_text.h"

#include <algorithm>
#include <cctype>
#include <iomanip>

namespace zarvo::tool {

void PrintBoard(std::ostream& out, const match::TGameBoard& board,
                const std::vector<TSquare>& marked) {
  out << "   ";
  for (int x = 0; x < board.Size(); ++x) out << std::setw(3) << x;
  out << '\n';
  for (int y = 0; y < board.Size(); ++y) {
    out << std::setw(3) << y;
    for (int x = 0; x < board.Size(); ++x) {
      char c = board.At({x, y});
      if (std::find(marked.begin(), marked.end(), TSquare{x, y}) != marked.end())
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      out << "  " << c;
    }
    out << '\n';
  }
}

}  // namespace zarvo::tool
