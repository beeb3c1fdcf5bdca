#include "match/game_record.h"

#include <array>
#include <iterator>
#include <sstream>
#include <utility>

#include "deep/rules.h"

namespace zarvo::match {
namespace {

// Indexed by TEndReason: the word a record and the result table use.
constexpr std::array<std::string_view, 10> kReasonNames{
    "five",      "full board", "illegal move", "bad answer",      "crash",
    "no answer", "timeout",    "engine error", "unknown command", "resigned"};

// Indexed by TOutcome.
constexpr std::array<std::string_view, 3> kOutcomeNames{"x wins", "o wins", "draw"};

// Text of the file quoted in an error: bytes that are not printable ASCII as \xNN, cut after a
// few dozen, so a binary file named by mistake gives one short line.
std::string Shown(std::string_view text) {
  constexpr std::size_t kShown = 40;
  constexpr char kHex[] = "0123456789abcdef";
  std::string shown = "'";
  for (const char c : text.substr(0, kShown)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      shown += c;
    } else {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
    }
  }
  if (text.size() > kShown) shown += "...";
  return shown + "'";
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  while (!(text = Trimmed(text)).empty()) {
    const auto end = text.find_first_of(" \t");
    words.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end);
  }
  return words;
}

std::optional<TSquare> BoardSquare(std::string_view text, const TGameBoard& board) {
  const auto square = ParseCoordinates(text);
  if (!square || !board.OnBoard(*square)) return std::nullopt;
  return square;
}

// The text form read back; finished says whether it had its result.
std::optional<TGameRecord> ParseGameText(std::istream& in, std::string& error, bool& finished);

// Freestyle, exactly five, renju.
constexpr std::array<std::string_view, 3> kRuleNames{"freestyle", "exactly five", "renju"};

}  // namespace

std::string_view ReasonName(TEndReason reason) {
  return kReasonNames[static_cast<std::size_t>(reason)];
}

std::optional<TEndReason> ReasonOfName(std::string_view name) {
  for (std::size_t i = 0; i < kReasonNames.size(); ++i)
    if (kReasonNames[i] == name) return static_cast<TEndReason>(i);
  return std::nullopt;
}

std::string_view OutcomeName(TOutcome outcome) {
  return kOutcomeNames[static_cast<std::size_t>(outcome)];
}

std::string_view RuleName(bool exactlyFive, bool renju) {
  return kRuleNames[renju ? 2 : exactlyFive ? 1 : 0];
}

std::vector<TSquare> TGameRecord::Stones() const {
  std::vector<TSquare> stones = Opening;
  for (const TPlayedMove& move : Moves) stones.push_back(move.Square);
  return stones;
}

TGameBoard TGameRecord::FinalBoard() const {
  return BoardOf(Stones(), BoardSize);
}

std::vector<TSquare> TGameRecord::WinningLine() const {
  const std::vector<TSquare> stones = Stones();
  if (Reason != TEndReason::Five || stones.empty()) return {};
  const bool byX = stones.size() % 2 == 1;
  return FiveThrough(FinalBoard(), stones.back(), ExactlyFive || (Renju && byX));
}

namespace {

// The game up to its last move (and the messages with the move to come).
void WriteGame(std::ostream& text, const TGameRecord& record) {
  text << "Game: " << record.Number << '\n';
  text << "x: " << record.XEngine << '\n';
  text << "o: " << record.OEngine << '\n';
  text << "Board: " << record.BoardSize << '\n';
  text << "Rule: " << RuleName(record.ExactlyFive, record.Renju) << '\n';
  text << "Opening:";
  if (record.Opening.empty()) text << " none";
  for (const TSquare& square : record.Opening) text << ' ' << SquareText(square);
  text << '\n';
  std::size_t stone = record.Opening.size();
  // An engine's messages come just before the move they were sent with.
  const auto messages = [&](std::size_t number) {
    for (const TEngineMessage& message : record.Messages) {
      if (message.Stone != static_cast<int>(number)) continue;
      std::string line = message.Text;
      for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
      text << "Message " << number << ": " << ColourOfStone(number - 1) << ' ' << line << '\n';
    }
  };
  for (const TPlayedMove& move : record.Moves) {
    messages(stone + 1);
    text << "Move " << stone + 1 << ": " << ColourOfStone(stone) << ' ' << SquareText(move.Square)
         << ' ' << move.ThinkMs << " ms\n";
    ++stone;
  }
  messages(stone + 1);
}

}  // namespace

std::string GameSoFarText(const TGameRecord& game) {
  std::ostringstream text;
  text << "# zarvo match game in progress\n";
  WriteGame(text, game);
  return text.str();
}

std::string RecordText(const TGameRecord& record) {
  std::ostringstream text;
  text << "# zarvo match game record\n";
  WriteGame(text, record);
  text << "Result: " << OutcomeName(record.Outcome) << '\n';
  text << "Reason: " << ReasonName(record.Reason) << '\n';
  // One line: whatever an engine answered must not break the format.
  std::string detail = record.Detail;
  for (char& c : detail)
    if (c == '\n' || c == '\r') c = ' ';
  text << "Detail: " << detail << '\n';
  return text.str();
}

std::optional<TGameRecord> ParseRecord(std::istream& in, std::string& error) {
  bool finished = false;
  auto record = ParseGameText(in, error, finished);
  if (record && !finished) {
    error = "incomplete record: needs Game, Opening, Result and Reason";
    return std::nullopt;
  }
  return record;
}

std::optional<TGameRecord> ParseGameSoFar(std::istream& in, std::string& error, bool& finished) {
  const std::string whole{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!whole.empty() && whole.back() != '\n') {
    error = "the text ends in the middle of a line, as a file cut off while written does";
    return std::nullopt;
  }
  std::istringstream lines(whole);
  return ParseGameText(lines, error, finished);
}

namespace {

std::optional<TGameRecord> ParseGameText(std::istream& in, std::string& error, bool& finished) {
  TGameRecord record;
  TGameBoard board(record.BoardSize);
  bool haveGame = false, haveOpening = false, haveResult = false, haveReason = false;
  std::string line;
  int lineNumber = 0;
  const auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(lineNumber) + ": " + why;
    return std::nullopt;
  };
  const auto place = [&](TSquare square) {
    if (!board.IsEmpty(square)) return false;
    board.Place(square, ColourOfStone(static_cast<std::size_t>(board.StoneCount())));
    return true;
  };
  while (std::getline(in, line)) {
    ++lineNumber;
    const std::string_view text = Trimmed(line);
    if (text.empty() || text.front() == '#') continue;
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return fail("no 'Key: value' line");
    const std::string_view key = Trimmed(text.substr(0, colon));
    const std::string_view value = Trimmed(text.substr(colon + 1));
    if (haveResult && key != "Reason" && key != "Detail") return fail("text after the result");
    if (key == "Game") {
      const auto words = Words(value);
      int number = 0;
      if (words.size() != 1 || !(std::istringstream(std::string(words[0])) >> number) || number < 1)
        return fail("bad game number");
      record.Number = number;
      haveGame = true;
    } else if (key == "x") {
      record.XEngine = std::string(value);
    } else if (key == "o") {
      record.OEngine = std::string(value);
    } else if (key == "Board" || key == "Rule") {
      // The stones are checked against the board, so the game comes first.
      if (haveOpening) return fail("the board and rule go before the opening");
      if (key == "Rule") {
        if (value != kRuleNames[0] && value != kRuleNames[1] && value != kRuleNames[2])
          return fail("unknown rule " + Shown(value) + " (freestyle, exactly five or renju)");
        record.ExactlyFive = value == kRuleNames[1];
        record.Renju = value == kRuleNames[2];
        continue;
      }
      const auto words = Words(value);
      int size = 0;
      if (words.size() != 1 || !(std::istringstream(std::string(words[0])) >> size) ||
          size < deep::kMinBoardSize || size > deep::kMaxBoardSize)
        return fail("board size " + Shown(value) + " (15 to 20)");
      record.BoardSize = size;
      board = TGameBoard(size);
    } else if (key == "Opening") {
      if (haveOpening || !record.Moves.empty()) return fail("a second opening");
      haveOpening = true;
      if (value == "none") continue;
      for (const std::string_view word : Words(value)) {
        const auto square = BoardSquare(word, board);
        if (!square) return fail("bad square " + Shown(word));
        if (!place(*square)) return fail("opening stone on an occupied square");
        record.Opening.push_back(*square);
      }
    } else if (key.starts_with("Message ")) {
      if (!haveOpening) return fail("a message before the opening");
      const std::size_t expected = record.Opening.size() + record.Moves.size() + 1;
      if (Trimmed(key.substr(8)) != std::to_string(expected))
        return fail("expected a message with move " + std::to_string(expected));
      const auto space = value.find(' ');
      if (value.substr(0, space) != std::string(1, ColourOfStone(expected - 1)))
        return fail("message out of turn");
      const std::string_view message =
          space == std::string_view::npos ? std::string_view{} : Trimmed(value.substr(space));
      record.Messages.push_back({static_cast<int>(expected), std::string(message)});
    } else if (key.starts_with("Move ")) {
      if (!haveOpening) return fail("a move before the opening");
      const std::size_t expected = record.Opening.size() + record.Moves.size() + 1;
      if (Trimmed(key.substr(5)) != std::to_string(expected))
        return fail("expected move " + std::to_string(expected));
      const auto words = Words(value);
      if (words.size() != 4 || words[3] != "ms") return fail("expected 'COLOUR X,Y MS ms'");
      if (words[0] != std::string(1, ColourOfStone(expected - 1))) return fail("move out of turn");
      const auto square = BoardSquare(words[1], board);
      if (!square) return fail("bad square " + Shown(words[1]));
      int64_t ms = 0;
      if (!(std::istringstream(std::string(words[2])) >> ms) || ms < 0)
        return fail("bad thinking time");
      if (!place(*square)) return fail("move on an occupied square");
      record.Moves.push_back({*square, ms});
    } else if (key == "Result") {
      bool known = false;
      for (const TOutcome outcome : {TOutcome::XWins, TOutcome::OWins, TOutcome::Draw}) {
        if (OutcomeName(outcome) == value) {
          record.Outcome = outcome;
          known = true;
        }
      }
      if (!known) return fail("unknown result " + Shown(value));
      haveResult = true;
    } else if (key == "Reason") {
      const auto reason = ReasonOfName(value);
      if (!reason) return fail("unknown reason " + Shown(value));
      record.Reason = *reason;
      haveReason = true;
    } else if (key == "Detail") {
      record.Detail = std::string(value);
    } else {
      return fail("unknown key " + Shown(key));
    }
  }
  if (!haveGame || !haveOpening || haveResult != haveReason) {
    error = "incomplete record: needs Game, Opening, Result and Reason";
    return std::nullopt;
  }
  finished = haveResult;
  return record;
}

}  // namespace

}  // namespace zarvo::match
