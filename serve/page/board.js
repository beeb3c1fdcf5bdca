// The web board: draws the game the server holds, sends clicks and buttons as requests, and
// follows the server's state as it changes (server-sent events). The server judges every
// request; the page only shows what it answers.
"use strict";

const SVG = "http://www.w3.org/2000/svg";
const CELL = 32;    // between two lines
const MARGIN = 46;  // room for the coordinates around the grid, clear of the edge stones

let state = null;   // the server's last word
let shown = 0;      // stones shown: all of them in play, a step of the record in review
let staleTab = false;
let answered = 0;   // requests answered and shown, for the browser test to wait on
let picked = null;  // watching a match: the finished game stepped through, or null to follow

const $ = (id) => document.getElementById(id);
const board = $("board");

// 1. Talking to the server.

async function send(action, fields) {
  try {
    return await request(action, fields);
  } finally {
    board.dataset.answered = String(++answered);
  }
}

async function request(action, fields) {
  const body = new URLSearchParams(fields);
  let answer;
  try {
    const response = await fetch("/api/" + action, { method: "POST", body });
    answer = { ok: response.ok, json: await response.json() };
  } catch (failure) {
    showMessage("The server did not answer (" + failure.message + "). Is zarvo serve still running?");
    return false;
  }
  if (!answer.ok) {
    showMessage(answer.json.error || "The server refused that.", answer.json.stale);
    // A stale tab is told to reload; it does not take the state as if nothing happened.
    if (answer.json.state && !answer.json.stale) apply(answer.json.state);
    return false;
  }
  clearMessage();
  apply(answer.json);
  return true;
}

// What every change sends: the game shown and how many stones it has, so a request made on an
// older board is refused instead of played.
function view() {
  return { game: state.game, stones: String(state.stones.length) };
}

function showMessage(text, stale) {
  $("message-text").textContent = text;
  $("message").classList.remove("hidden");
  $("reload").classList.toggle("hidden", !stale);
  if (stale) staleTab = true;
}

function clearMessage() {
  if (staleTab) return;
  $("message").classList.add("hidden");
}

// 2. Taking the server's state.

function apply(next) {
  // An answer to a request may come after a live update that is newer than it.
  if (staleTab || (state && next.version < state.version)) return;
  if (next.mode === "watch") {
    state = next;
    renderWatch();
    return;
  }
  const newGame = !state || state.game !== next.game;
  const wasAtEnd = !state || shown === state.stones.length;
  state = next;
  if (state.mode === "play" || newGame || wasAtEnd) shown = state.stones.length;
  shown = Math.min(shown, state.stones.length);
  if (newGame) fillNewGameForm();
  render();
}

function fillNewGameForm() {
  const form = $("new-game");
  form.colour.value = state.human;
  form.board.value = String(state.boardSize);
  form.rule.value = state.exactlyFive ? "exactly-five" : "freestyle";
  const times = Array.from(form.time.options).map((o) => Number(o.value));
  if (!times.includes(state.moveTimeMs)) {
    const option = document.createElement("option");
    option.value = String(state.moveTimeMs);
    option.textContent = state.moveTimeMs / 1000 + " s";
    form.time.appendChild(option);
  }
  form.time.value = String(state.moveTimeMs);
}

// 3. Drawing.

function point(i) {
  return MARGIN + i * CELL;
}

function element(name, attributes, parent) {
  const node = document.createElementNS(SVG, name);
  for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
  if (parent) parent.appendChild(node);
  return node;
}

function colourOf(index) {
  return index % 2 === 0 ? "x" : "o";
}

// A score from the view of the side to play; beyond the bound a win or loss found, so many
// plies (stones) away.
function scoreText(search, side) {
  const plies = (n) => n + (n === 1 ? " ply" : " plies");
  if (search.score > search.winBound) return side + " wins in " + plies(search.win - search.score);
  if (search.score < -search.winBound) return side + " loses in " + plies(search.win + search.score);
  return "score " + (search.score > 0 ? "+" : "") + search.score + " for " + side;
}

function depthText(search) {
  return search.depth > 0 ? "depth " + search.depth : "found without a search";
}

function lineText(line) {
  return line.map(([x, y]) => x + "," + y).join(" ");
}

// The game drawn: the one in play or review (the state itself), or a watched match's game.
function drawBoard(game) {
  const n = game.boardSize;
  const size = 2 * MARGIN + (n - 1) * CELL;
  board.setAttribute("viewBox", "0 0 " + size + " " + size);
  board.dataset.size = String(n);
  board.dataset.cell = String(CELL);
  board.dataset.margin = String(MARGIN);
  board.replaceChildren();

  const defs = element("defs", {}, board);
  const black = element("radialGradient", { id: "black-stone", cx: "35%", cy: "35%", r: "70%" }, defs);
  element("stop", { offset: "0%", "stop-color": "#666" }, black);
  element("stop", { offset: "100%", "stop-color": "#111" }, black);
  const white = element("radialGradient", { id: "white-stone", cx: "35%", cy: "35%", r: "70%" }, defs);
  element("stop", { offset: "0%", "stop-color": "#fff" }, white);
  element("stop", { offset: "100%", "stop-color": "#cfcfcf" }, white);

  element("rect", { class: "wood", x: 0, y: 0, width: size, height: size, rx: 6 }, board);
  const grid = element("g", { class: "grid" }, board);
  for (let i = 0; i < n; ++i) {
    element("line", { x1: point(0), y1: point(i), x2: point(n - 1), y2: point(i) }, grid);
    element("line", { x1: point(i), y1: point(0), x2: point(i), y2: point(n - 1) }, grid);
    const top = element("text", { class: "coordinate", x: point(i), y: MARGIN - 24, "text-anchor": "middle" }, board);
    top.textContent = String(i);
    const left = element("text", { class: "coordinate", x: MARGIN - 22, y: point(i) + 4, "text-anchor": "end" }, board);
    left.textContent = String(i);
  }
  const edge = 3;
  for (const sx of [edge, Math.floor((n - 1) / 2), n - 1 - edge])
    for (const sy of [edge, Math.floor((n - 1) / 2), n - 1 - edge])
      element("circle", { class: "star", cx: point(sx), cy: point(sy), r: 3 }, board);

  // Stones, the last one marked; in review the numbers show the order.
  const stones = game.stones.slice(0, shown);
  stones.forEach(([x, y], index) => {
    const colour = colourOf(index);
    element("circle", {
      class: "stone " + colour, cx: point(x), cy: point(y), r: CELL * 0.46,
      "data-x": x, "data-y": y, "data-colour": colour,
    }, board);
    if (game.mode === "review") {
      const number = element("text", { class: "stone-number on-" + colour, x: point(x), y: point(y) }, board);
      number.textContent = String(index + 1);
    }
  });
  if (stones.length > 0 && game.mode === "play") {
    const [x, y] = stones[stones.length - 1];
    element("circle", { class: "last-move", cx: point(x), cy: point(y), r: 5 }, board);
  } else if (stones.length > 0) {
    const [x, y] = stones[stones.length - 1];
    element("circle", { class: "five", cx: point(x), cy: point(y), r: CELL * 0.5 }, board);
  }
  if (shown === game.stones.length)
    for (const [x, y] of game.five || [])
      element("circle", { class: "five", cx: point(x), cy: point(y), r: CELL * 0.5 }, board);

  // The search's line while it thinks, or the hint or analysis for the position shown.
  const search = thinkingHere() || findingHere();
  if (search && search.line) {
    const ghosts = search.kind === "move" && !state.thinking ? [] : search.line.slice(0, 8);
    // Numbered on from the stones in a record, from 1 in a game; coloured by the side to play.
    const first = state.mode === "review" ? search.at + 1 : 1;
    ghosts.forEach(([x, y], index) => {
      if (stones.some(([sx, sy]) => sx === x && sy === y)) return;
      const colour = colourOf(search.at + index);
      element("circle", { class: "ghost " + colour, cx: point(x), cy: point(y), r: CELL * 0.4 }, board);
      const number = element("text", { class: "ghost-number on-" + colour, x: point(x), y: point(y) }, board);
      number.textContent = String(first + index);
    });
  }
  const finding = findingHere();
  if (finding && finding.kind === "hint") {
    const [x, y] = finding.move;
    element("circle", { class: "hint-mark", cx: point(x), cy: point(y), r: CELL * 0.42, "data-hint": "1" }, board);
  }
}

// The running search, when it is about the position shown.
function thinkingHere() {
  const t = state.thinking;
  return t && t.at === shown ? t : null;
}

// The last finished search about the position shown (the engine's move: the position before it).
function findingHere() {
  const f = state.finding;
  if (!f) return null;
  if (f.kind === "move") return f.at + 1 === shown ? f : null;
  return f.at === shown ? f : null;
}

function render() {
  drawBoard(state);
  const review = state.mode === "review";
  const toMove = colourOf(shown);
  const person = (c) => (c === "x" ? "x (black)" : "o (white)");
  $("mode-label").textContent = review ? "record" : "game";
  $("players").textContent = person("x") + ": " + state.xPlayer + " · " + person("o") + ": " + state.oPlayer +
    " · " + state.boardSize + " × " + state.boardSize + (state.exactlyFive ? ", exactly five" : "");

  // Status: whose turn, the engine at work, or the end.
  let status;
  if (review) {
    status = "Record: stone " + shown + " of " + state.stones.length;
    if (shown === state.stones.length && state.over) status += " · " + state.result + " (" + state.reason + ")";
  } else if (state.over) {
    status = "Game over: " + state.result + " (" + state.reason + ")";
    if (state.result !== "draw") status += state.result.startsWith(state.human) ? ". You win!" : ". The engine wins.";
  } else if (state.thinking && state.thinking.kind === "move") {
    status = "The engine is thinking (" + state.toMove + ", up to " + state.moveTimeMs + " ms)…";
  } else if (state.thinking) {
    status = "Looking for a hint…";
  } else {
    status = "Your move: " + person(state.human);
  }
  $("status").textContent = status;
  $("notice").textContent = state.notice;
  $("notice").classList.toggle("hidden", !state.notice);
  // A game the engine lost by a fault is told apart from one played out.
  $("notice").classList.toggle("fault", state.over && !["five", "full board", "resigned"].includes(state.reason));

  // What the engine thinks: live while it searches, then its last word about this position.
  const running = thinkingHere();
  const finding = findingHere();
  const info = $("engine-info");
  if (running && running.depth !== undefined) {
    $("engine-head").textContent = (running.kind === "move" ? "Engine" : running.kind === "hint" ? "Hint" : "Analysis") +
      ": depth " + running.depth + ", " + scoreText(running, colourOf(running.at)) + ", " + running.ms + " ms";
    $("engine-line").textContent = "line " + lineText(running.line);
    info.classList.remove("hidden");
  } else if (running) {
    $("engine-head").textContent = "Thinking…";
    $("engine-line").textContent = "";
    info.classList.remove("hidden");
  } else if (finding) {
    const side = colourOf(finding.at);
    const what = finding.kind === "move" ? "The engine played " : finding.kind === "hint" ? "Hint: " : "Best: ";
    $("engine-head").textContent = what + finding.move.join(",") + " (" + depthText(finding) + ", " +
      scoreText(finding, side) + ")";
    $("engine-line").textContent = "line " + lineText(finding.line);
    info.classList.remove("hidden");
  } else {
    info.classList.add("hidden");
  }

  // Buttons for the mode.
  $("play-buttons").classList.toggle("hidden", review);
  $("review-buttons").classList.toggle("hidden", !review);
  $("cursor").textContent = shown + " / " + state.stones.length;
  $("undo").disabled = review;
  $("resign").disabled = state.over;
  $("hint").disabled = state.over || state.toMove !== state.human || !!state.thinking;
  $("save").disabled = !state.over;
  $("analyse").disabled = !!state.thinking;
  board.dataset.stones = String(shown);
  board.dataset.thinking = state.thinking ? state.thinking.kind : "";
  board.dataset.over = state.over ? "1" : "";
  board.dataset.mode = state.mode;
}

// A watched match: the game in progress as it grows (or, between games and after the match, the
// last one finished), or a finished game picked from the list to step through.
function renderWatch() {
  if (picked !== null && !state.finished.some((g) => g.number === picked)) picked = null;
  const live = state.live.length > 0 ? state.live[0] : null;
  const last = state.finished.length > 0 ? state.finished[state.finished.length - 1] : null;
  const game = picked !== null ? state.finished.find((g) => g.number === picked) : live || last;
  if (picked === null) shown = game ? game.stones.length : 0;
  shown = Math.min(shown, game ? game.stones.length : 0);
  const following = picked === null && game === live && live !== null;
  const empty = { boardSize: 20, stones: [], five: [] };
  drawBoard({ ...(game || empty), mode: following ? "play" : "review" });

  $("mode-label").textContent = "match";
  const person = (c) => (c === "x" ? "x (black)" : "o (white)");
  $("players").textContent = game
    ? person("x") + ": " + game.xPlayer + " · " + person("o") + ": " + game.oPlayer + " · " +
      game.boardSize + " × " + game.boardSize + (game.exactlyFive ? ", exactly five" : "")
    : "Folder " + state.folder;
  let status = state.status;
  if (game && following) status += " Game " + game.number + ", stone " + game.stones.length + ", " + colourOf(game.stones.length) + " to move.";
  else if (game) {
    status += " Game " + game.number + ": stone " + shown + " of " + game.stones.length;
    if (shown === game.stones.length) status += " · " + game.result + " (" + game.reason + ")";
  }
  $("status").textContent = status;
  $("message-text").textContent = state.problem;
  $("message").classList.toggle("hidden", !state.problem);
  $("notice").classList.add("hidden");
  $("engine-info").classList.add("hidden");

  // The list of finished games, the one shown marked.
  const list = $("game-list");
  list.replaceChildren();
  for (const g of state.finished) {
    const item = document.createElement("li");
    const button = document.createElement("button");
    button.type = "button";
    button.dataset.game = String(g.number);
    button.textContent = "Game " + g.number + ": " + g.result + " (" + g.reason + "), " + g.stones.length + " stones";
    if (g === game && !following) button.classList.add("current");
    button.addEventListener("click", () => {
      picked = g.number;
      shown = g.stones.length;
      renderWatch();
    });
    item.appendChild(button);
    list.appendChild(item);
  }
  $("follow").disabled = picked === null;

  $("watch-panel").classList.remove("hidden");
  $("play-buttons").classList.add("hidden");
  $("record-buttons").classList.add("hidden");
  $("new-game").classList.add("hidden");
  $("review-buttons").classList.toggle("hidden", !game || following);
  $("analyse").classList.add("hidden");
  $("play-from").classList.add("hidden");
  $("cursor").textContent = shown + " / " + (game ? game.stones.length : 0);
  $("help").textContent = "Watching the match recorded in " + state.folder + ": pick a finished game to step through it.";
  board.dataset.stones = String(shown);
  board.dataset.mode = "watch";
  board.dataset.game = game ? String(game.number) : "";
  board.dataset.following = following ? "1" : "";
  board.dataset.finished = String(state.finished.length);
  board.dataset.match = state.match;
}

$("follow").addEventListener("click", () => {
  picked = null;
  renderWatch();
});

// The game stepped through: the state's in review, the picked one when watching a match.
function stepped() {
  if (state.mode !== "watch") return state;
  return state.finished.find((g) => g.number === picked) || { stones: [] };
}

// 4. The person's input.

board.addEventListener("click", (event) => {
  if (!state || staleTab || state.mode === "watch") return;
  if (state.mode === "review") {
    showMessage("This is a recorded game: step through it, or press 'Play from here' to play on.");
    return;
  }
  const matrix = board.getScreenCTM().inverse();
  const at = new DOMPoint(event.clientX, event.clientY).matrixTransform(matrix);
  // The nearest point, even off the grid: the server says why it is no move.
  const x = Math.round((at.x - MARGIN) / CELL);
  const y = Math.round((at.y - MARGIN) / CELL);
  send("move", { ...view(), x: String(x), y: String(y) });
});

$("undo").addEventListener("click", () => send("undo", view()));
$("hint").addEventListener("click", () => send("hint", view()));
$("resign").addEventListener("click", () => {
  if (state.over || window.confirm("Resign this game?")) send("resign", view());
});
$("new").addEventListener("click", () => $("new-game").classList.toggle("hidden"));
$("new-game").addEventListener("submit", (event) => {
  event.preventDefault();
  const form = $("new-game");
  send("new", { colour: form.colour.value, board: form.board.value, rule: form.rule.value, time: form.time.value })
    .then((done) => { if (done) form.classList.add("hidden"); });
});
$("reload").addEventListener("click", () => window.location.reload());

$("save").addEventListener("click", async () => {
  const response = await fetch("/api/record");
  if (!response.ok) {
    const answer = await response.json();
    showMessage(answer.error);
    return;
  }
  const link = document.createElement("a");
  link.href = URL.createObjectURL(await response.blob());
  link.download = "zarvo-game.txt";
  link.click();
  URL.revokeObjectURL(link.href);
});
$("load").addEventListener("click", () => $("record-file").click());
$("record-file").addEventListener("change", async () => {
  const file = $("record-file").files[0];
  if (!file) return;
  if (file.size > 512 * 1024) {
    showMessage(file.name + " is too large to be a game record.");
  } else {
    await send("load", { record: await file.text() });
  }
  $("record-file").value = "";
});

function step(to) {
  shown = Math.max(0, Math.min(stepped().stones.length, to));
  if (state.mode === "watch") renderWatch();
  else render();
}
$("first").addEventListener("click", () => step(0));
$("prev").addEventListener("click", () => step(shown - 1));
$("next").addEventListener("click", () => step(shown + 1));
$("last").addEventListener("click", () => step(stepped().stones.length));
$("analyse").addEventListener("click", () => send("analyse", { ...view(), at: String(shown) }));
$("play-from").addEventListener("click", () => send("play-from", { ...view(), at: String(shown) }));
document.addEventListener("keydown", (event) => {
  const reviewing = state && (state.mode === "review" || (state.mode === "watch" && picked !== null));
  if (!reviewing || event.target.tagName === "SELECT") return;
  const moves = { ArrowLeft: shown - 1, ArrowRight: shown + 1, Home: 0, End: stepped().stones.length };
  if (event.key in moves) step(moves[event.key]);
});

// 5. The live state.

const events = new EventSource("/api/events");
window.zarvoEvents = events;  // the browser test closes it to make a stale tab
events.onmessage = (event) => apply(JSON.parse(event.data));
events.onerror = () => {
  if (!staleTab) $("status").textContent = "The connection to the server was lost; trying again…";
};
