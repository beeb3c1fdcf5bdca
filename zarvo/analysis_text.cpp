#include "zarvo/analysis_text.h"

#include <cstdlib>

#include "driver/deep_engine.h"

namespace zarvo::tool {
namespace {

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
  }
  return out + '"';
}

std::string LineJson(const std::vector<deep::TSquareIndex>& line) {
  std::string out = "[";
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (i > 0) out += ',';
    out += Quoted(SquareText(line[i]));
  }
  return out + "]";
}

char Other(char colour) {
  return colour == 'x' ? 'o' : 'x';
}

}  // namespace

std::string IterationJson(const deep::TIterationInfo& info) {
  return "{\"type\":\"iteration\",\"depth\":" + std::to_string(info.Depth) +
         ",\"score\":" + std::to_string(info.Score) +
         ",\"nodes\":" + std::to_string(info.SearchNodes + info.SolverNodes) +
         ",\"solver_nodes\":" + std::to_string(info.SolverNodes) +
         ",\"time_ms\":" + std::to_string(info.ElapsedMs) + ",\"pv\":" + LineJson(info.Line) + "}";
}

std::string ResultJson(char toMove, const std::optional<deep::TSearchResult>& result) {
  std::string out = "{\"type\":\"result\",\"to_move\":\"" + std::string(1, toMove) + "\"";
  if (!result) return out + ",\"move\":null,\"decided_by\":\"full board\"}";
  const int plies = deep::PliesToFive(result->Score);
  out += ",\"move\":" + Quoted(SquareText(result->Move)) +
         ",\"decided_by\":" + Quoted(result->Reason) +
         ",\"score\":" + std::to_string(result->Score) +
         ",\"depth\":" + std::to_string(result->Depth) +
         ",\"nodes\":" + std::to_string(result->Nodes()) +
         ",\"solver_nodes\":" + std::to_string(result->SolverNodes) +
         ",\"time_ms\":" + std::to_string(result->ElapsedMs) + ",\"pv\":" + LineJson(result->Line);
  if (plies != 0)
    out += ",\"win_in_plies\":" + std::to_string(std::abs(plies)) + ",\"winner\":\"" +
           std::string(1, plies > 0 ? toMove : Other(toMove)) + "\"";
  else
    out += ",\"win_in_plies\":null,\"winner\":null";
  return out + "}";
}

std::string SummaryLine(char toMove, const std::optional<deep::TSearchResult>& result,
                        std::optional<int> previousScore) {
  if (!result) return "no move: the board is full";
  std::string line = "best " + SquareText(result->Move) + " for " + std::string(1, toMove) + ": ";
  const int plies = deep::PliesToFive(result->Score);
  if (result->Depth == 0) {
    line +=
        std::string("decided by ") + result->Reason + ", score " + std::to_string(result->Score);
  } else {
    line += "score " + std::to_string(result->Score) + " at depth " + std::to_string(result->Depth);
    // Odd and even depths lean opposite ways; their mean is the steadier reading.
    if (previousScore && plies == 0 && deep::PliesToFive(*previousScore) == 0)
      line += " (depths " + std::to_string(result->Depth - 1) + " and " +
              std::to_string(result->Depth) + " average " +
              std::to_string((*previousScore + result->Score) / 2) + ")";
  }
  line += ", nodes " + std::to_string(result->Nodes()) + ", " + std::to_string(result->ElapsedMs) +
          " ms";
  if (plies != 0)
    line += std::string("; ") + (plies > 0 ? toMove : Other(toMove)) + " wins in " +
            std::to_string(std::abs(plies)) + (std::abs(plies) == 1 ? " ply" : " plies");
  return line;
}

}  // namespace zarvo::tool
