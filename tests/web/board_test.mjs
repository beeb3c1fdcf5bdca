// The web board of 'zarvo serve' in a real Chromium: moves by clicks on the SVG, the engine's
// answers, a whole game, take back, records saved and opened, and the bad inputs (a taken or
// off-board point, a move while the engine thinks, a stale tab, engines that die or never start),
// and a running match watched live from its records folder (with ZARVO_BRAIN set to the brain
// program that plays it).
//   node board_test.mjs ZARVO_EXE SCRIPTED_ENGINE [CHROMIUM]
// Exits 77 (skipped) when Chromium or the npm modules are missing. Screenshots go to
// screenshots/ beside this file.
import { spawn } from "node:child_process";
import { existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, symlinkSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { after, before, describe, test } from "node:test";
import assert from "node:assert/strict";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const [zarvo, scriptedEngine, chromium = "/usr/bin/chromium"] = process.argv.slice(2).map((a) => path.resolve(a));
if (!zarvo || !scriptedEngine) {
  console.error("usage: node board_test.mjs ZARVO_EXE SCRIPTED_ENGINE [CHROMIUM]");
  process.exit(2);
}
let puppeteer;
try {
  puppeteer = (await import("puppeteer-core")).default;
} catch {
  console.log("skipped: puppeteer-core is not installed (run 'npm ci' in tests/web)");
  process.exit(77);
}
if (!existsSync(chromium)) {
  console.log(`skipped: no Chromium at ${chromium} (Debian: apt-get install chromium)`);
  process.exit(77);
}

const shots = path.join(here, "screenshots");
mkdirSync(shots, { recursive: true });
const scratch = mkdtempSync(path.join(tmpdir(), "zarvo-web-"));
let browser;
const servers = [];

// 1. Helpers: a server on a free port, a page on it, clicks on points of the board.

async function startServer(...args) {
  const child = spawn(zarvo, ["serve", "--port", "0", ...args], { stdio: ["ignore", "pipe", "pipe"] });
  servers.push(child);
  let output = "";
  child.stderr.on("data", (data) => process.stderr.write(data));
  const url = await new Promise((resolve, reject) => {
    child.stdout.on("data", (data) => {
      output += data;
      const found = output.match(/http:\/\/127\.0\.0\.1:\d+\//);
      if (found) resolve(found[0]);
    });
    child.on("exit", (code) => reject(new Error(`zarvo serve ended (${code}): ${output}`)));
  });
  return { url, child };
}

async function stopServer(server) {
  const ended = new Promise((resolve) => server.child.on("exit", (code) => resolve(code)));
  server.child.kill("SIGTERM");
  return ended;
}

async function openPage(url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1180, height: 800 });
  page.on("pageerror", (error) => console.error("page error:", error.message));
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById("board").dataset.stones !== undefined);
  return page;
}

// The board's point X,Y (X across, Y down; -1 is in the coordinates' margin, 19.7 beyond the last
// line on a 20 x 20 board) as a mouse click.
async function clickPoint(page, x, y) {
  const where = await page.$eval("#board", (svg, x, y) => {
    const box = svg.getBoundingClientRect();
    const view = svg.viewBox.baseVal;
    const scale = box.width / view.width;
    const cell = Number(svg.dataset.cell), margin = Number(svg.dataset.margin);
    return { x: box.left + (margin + x * cell) * scale, y: box.top + (margin + y * cell) * scale };
  }, x, y);
  await page.mouse.click(where.x, where.y);
}

// Clicks, or presses a button, and waits until the page has shown the server's answer; the
// answer's response.
async function answeredAfter(page, action, doIt) {
  // A tab in the background may not get the mouse.
  await page.bringToFront();
  const before = await page.$eval("#board", (svg) => Number(svg.dataset.answered || 0));
  const response = page.waitForResponse((r) => r.url().endsWith("/api/" + action));
  await doIt();
  await page.waitForFunction((before) => Number(document.getElementById("board").dataset.answered || 0) > before,
    {}, before);
  return response;
}

const play = (page, x, y) => answeredAfter(page, "move", () => clickPoint(page, x, y));

const stones = (page) => page.$eval("#board", (svg) => Number(svg.dataset.stones));
const text = (page, id) => page.$eval("#" + id, (node) => node.textContent);
const visible = (page, id) => page.$eval("#" + id, (node) => !node.classList.contains("hidden"));
const stoneAt = (page, x, y) =>
  page.$eval("#board", (svg, x, y) => {
    const stone = svg.querySelector(`circle.stone[data-x="${x}"][data-y="${y}"]`);
    return stone ? stone.dataset.colour : null;
  }, x, y);

// Until the engine has answered: no job running, and the count of stones reached.
async function engineAnswered(page, count) {
  try {
    await page.waitForFunction(
      (count) => {
        const svg = document.getElementById("board");
        return svg.dataset.thinking === "" && (Number(svg.dataset.stones) >= count || svg.dataset.over === "1");
      },
      { timeout: 20000 }, count);
  } catch (failure) {
    // What the page showed instead, to tell a slow engine from a refused request.
    throw new Error(`no answer with ${count} stones: status '${await text(page, "status")}', ` +
      `message '${await text(page, "message-text")}', ` +
      `board ${await page.$eval("#board", (svg) => JSON.stringify(svg.dataset))}`);
  }
}

async function newGame(page, { colour = "x", board = "20", rule = "freestyle", time = "100" } = {}) {
  if (!(await visible(page, "new-game"))) await page.click("#new");
  await page.select("#new-game select[name=colour]", colour);
  await page.select("#new-game select[name=board]", board);
  await page.select("#new-game select[name=rule]", rule);
  await page.select("#new-game select[name=time]", time);
  await answeredAfter(page, "new", () => page.click("#start"));
  await page.waitForFunction(() => document.getElementById("new-game").classList.contains("hidden"));
}

// Points far from the centre, tried in turn: the person plays without a plan, so the engine wins.
const aimless = [];
for (let i = 0; i < 20; i += 2) aimless.push([0, i], [19, i], [i, 19], [i + 1, 0]);

async function playUntilOver(page) {
  for (const [x, y] of aimless) {
    if (await page.$eval("#board", (svg) => svg.dataset.over === "1")) return;
    if ((await stoneAt(page, x, y)) !== null) continue;
    const count = await stones(page);
    const response = await play(page, x, y);
    assert.equal(response.status(), 200, await text(page, "message-text"));
    await engineAnswered(page, count + 2);
  }
}

before(async () => {
  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"],
  });
});

after(async () => {
  if (browser) await browser.close();
  for (const child of servers) if (child.exitCode === null) child.kill("SIGKILL");
  rmSync(scratch, { recursive: true, force: true });
});

// 2. Against the built-in engine.

describe("a game against the built-in engine", () => {
  let server, page, record;
  before(async () => {
    server = await startServer("--move-time", "100");
    page = await openPage(server.url);
  });

  test("a click places a stone and the engine's answer appears", async () => {
    const response = await play(page, 9, 9);
    assert.equal(response.status(), 200);
    assert.equal(await stoneAt(page, 9, 9), "x");
    await engineAnswered(page, 2);
    assert.equal(await stones(page), 2);
    assert.match(await text(page, "engine-head"), /The engine played \d+,\d+ \(depth \d+, /);
    assert.match(await text(page, "status"), /Your move/);
  });

  test("a taken point or one off the board gets a message and leaves the board as it was", async () => {
    for (const [x, y, message] of [
      [9, 9, /9,9 is taken/],
      [-1, 4, /-1,4 is off the board/],
      [4, 19.7, /4,20 is off the board/],
    ]) {
      const response = await play(page, x, y);
      assert.notEqual(response.status(), 200);
      assert.ok(await visible(page, "message"));
      assert.match(await text(page, "message-text"), message);
      assert.equal(await stones(page), 2);
    }
    await page.screenshot({ path: path.join(shots, "taken.png") });
  });

  test("take back returns to the person's turn before their last move", async () => {
    await play(page, 10, 10);
    await engineAnswered(page, 4);
    const answer = await answeredAfter(page, "undo", () => page.click("#undo"));
    assert.equal(answer.status(), 200);
    assert.equal(await stones(page), 2);
    assert.equal(await stoneAt(page, 10, 10), null);
    assert.equal(await stoneAt(page, 9, 9), "x");
  });

  test("a hint is shown on the board and not played", async () => {
    await page.click("#hint");
    await page.waitForFunction(() => document.querySelector("#board circle[data-hint]") !== null);
    assert.match(await text(page, "engine-head"), /^Hint: \d+,\d+/);
    assert.equal(await stones(page), 2);
  });

  test("a whole game by clicks ends with the engine's five, and the record says so", async () => {
    await playUntilOver(page);
    assert.match(await text(page, "status"), /^Game over: o wins \(five\)\. The engine wins\./);
    assert.equal(await page.$$eval("#board circle.five", (marks) => marks.length), 5);
    await page.screenshot({ path: path.join(shots, "game-over.png") });
    // Further clicks are refused with the reason.
    const response = await play(page, 1, 1);
    assert.equal(response.status(), 409);
    assert.match(await text(page, "message-text"), /The game is over/);

    record = await page.evaluate(() => fetch("/api/record").then((r) => r.text()));
    assert.match(record, /^x: human$/m);
    assert.match(record, /^o: built-in deep search$/m);
    assert.match(record, /^Result: o wins$/m);
    assert.match(record, /^Reason: five$/m);
    await page.click("#save");
    assert.ok(!(await visible(page, "message")) || /over/.test(await text(page, "message-text")));
  });

  test("a record opened is stepped through, analysed and played on from a position", async () => {
    const file = path.join(scratch, "game.txt");
    writeFileSync(file, record);
    const total = await stones(page);
    const input = await page.$("#record-file");
    const loaded = await answeredAfter(page, "load", () => input.uploadFile(file));
    assert.equal(loaded.status(), 200);
    await page.waitForFunction(() => document.getElementById("board").dataset.mode === "review");
    assert.equal(await text(page, "cursor"), `${total} / ${total}`);
    await page.click("#prev");
    assert.equal(await stones(page), total - 1);
    await page.click("#first");
    assert.equal(await stones(page), 0);
    await page.click("#next");
    await page.click("#next");
    await page.click("#analyse");
    await page.waitForFunction(() => /^Best: /.test(document.getElementById("engine-head").textContent));
    await page.screenshot({ path: path.join(shots, "record.png") });
    // A click on the board of a record plays nothing.
    await clickPoint(page, 5, 5);
    assert.match(await text(page, "message-text"), /recorded game/);
    const playing = await answeredAfter(page, "play-from", () => page.click("#play-from"));
    assert.equal(playing.status(), 200);
    await page.waitForFunction(() => document.getElementById("board").dataset.mode === "play");
    assert.equal(await stones(page), 2);
    assert.match(await text(page, "status"), /Your move: x/);
  });

  test("a file that is no record is refused and the game stays", async () => {
    const file = path.join(scratch, "notes.txt");
    writeFileSync(file, "Game: 1\nOpening: 9,9 9,9\n");
    const input = await page.$("#record-file");
    const loaded = await answeredAfter(page, "load", () => input.uploadFile(file));
    assert.equal(loaded.status(), 400);
    assert.match(await text(page, "message-text"), /no game record/);
    assert.equal(await page.$eval("#board", (svg) => svg.dataset.mode), "play");
    assert.equal(await stones(page), 2);
  });

  test("a move while the engine thinks is refused; the live score shows meanwhile", async () => {
    await newGame(page, { time: "3000" });
    await play(page, 9, 9);
    const refused = await play(page, 10, 10);
    assert.equal(refused.status(), 409);
    assert.match(await text(page, "message-text"), /The engine is thinking/);
    await page.waitForFunction(() => /depth \d+/.test(document.getElementById("engine-head").textContent));
    await page.screenshot({ path: path.join(shots, "thinking.png") });
    await engineAnswered(page, 2);
    assert.equal(await stones(page), 2);
    assert.notEqual(await stoneAt(page, 10, 10), "x");
  });

  test("a stale tab is told to reload and its click changes nothing", async () => {
    await newGame(page, { time: "100", board: "15" });
    const other = await openPage(server.url);
    // The other tab stops hearing of changes, as after a lost connection.
    await other.evaluate(() => window.zarvoEvents.close());
    await play(page, 7, 7);
    await engineAnswered(page, 2);
    const response = await play(other, 3, 3);
    assert.equal(response.status(), 409);
    assert.match(await text(other, "message-text"), /Reload the page/);
    assert.ok(await visible(other, "reload"));
    assert.equal(await stoneAt(page, 3, 3), null);
    await other.reload();
    await other.waitForFunction(() => document.getElementById("board").dataset.stones === "2");
    assert.equal(await page.$eval("#board", (svg) => svg.dataset.size), "15");
    await other.close();
  });

  after(async () => {
    assert.equal(await stopServer(server), 0);
  });
});

// 3. Engines that fail: the game ends in the person's favour with the reason; no wrong stone.

describe("an engine that fails", () => {
  const cases = [
    { name: "never starts", engine: () => "pipe:/bin/false", moves: 1, reason: "crash", notice: /never have started/ },
    { name: "dies mid-game", engine: () => scripted("crash"), moves: 3, reason: "crash", notice: /lost by crash/ },
    { name: "answers a taken point", engine: () => scripted("occupied"), moves: 3, reason: "illegal move", notice: /occupied square/ },
  ];
  // The scripted engine reads its protocol and behaviour from the name it is started under.
  function scripted(behaviour) {
    const link = path.join(scratch, `pipe-${behaviour}`);
    if (!existsSync(link)) symlinkSync(scriptedEngine, link);
    return `pipe:${link}`;
  }

  for (const c of cases) {
    test(`one that ${c.name} loses, and the page says why`, async () => {
      const server = await startServer("--move-time", "200", "--engine", c.engine());
      const page = await openPage(server.url);
      const squares = [[9, 9], [3, 15], [15, 3], [16, 16]];
      let played = 0;
      for (const [x, y] of squares) {
        if (await page.$eval("#board", (svg) => svg.dataset.over === "1")) break;
        const count = await stones(page);
        await play(page, x, y);
        ++played;
        await engineAnswered(page, count + 2);
      }
      assert.equal(played, c.moves);
      assert.match(await text(page, "status"), new RegExp(`^Game over: x wins \\(${c.reason}\\)\\. You win!`));
      assert.match(await text(page, "notice"), c.notice);
      // The engine's stones are those it played before it failed, all on empty points.
      assert.equal(await stones(page), 2 * c.moves - 1);
      if (c.name === "answers a taken point") await page.screenshot({ path: path.join(shots, "engine-fault.png") });
      await page.close();
      assert.equal(await stopServer(server), 0);
    });
  }
});

// 4. A match watched from its records folder: read only, every file that cannot be read named.

describe("a match watched live", () => {
  const watchState = (page) => page.$eval("#board", (svg) => ({ ...svg.dataset }));
  const waitFor = (page, predicate, arg, timeout = 20000) =>
    page.waitForFunction(predicate, { timeout, polling: 50 }, arg);

  test("a missing folder, an empty one and files cut off get messages and no wrong board", async () => {
    const folder = path.join(scratch, "watch-bad");
    const server = await startServer("--watch", folder);
    const page = await openPage(server.url);
    assert.match(await text(page, "message-text"), /There is no folder .*watch-bad/);
    assert.equal(await stones(page), 0);
    mkdirSync(folder);
    await waitFor(page, () => /No match in/.test(document.getElementById("status").textContent));
    assert.ok(!(await visible(page, "message")));

    // A record without its end and a game so far cut in the middle of a line.
    const files = {
      "match.live": "Games: 2\nState: playing\n",
      "game-001.txt": "Game: 1\nx: a\no: b\nOpening: 9,9\nMove 2: o 3,3 10 ms\n",
      "game-002.live": "Game: 2\nx: a\no: b\nOpening: 9,9 10,1",
    };
    for (const [name, content] of Object.entries(files)) writeFileSync(path.join(folder, name), content);
    await waitFor(page, () => /game-002.live cannot be read/.test(document.getElementById("message-text").textContent));
    assert.match(await text(page, "message-text"), /game-001.txt is left out: the game in it is not finished/);
    assert.match(await text(page, "status"), /Between games: 0 of 2 finished/);
    assert.equal(await stones(page), 0);
    assert.equal(await page.$$eval("#game-list li", (items) => items.length), 0);

    // Read whole once, then cut again: the last good board stays.
    writeFileSync(path.join(folder, "game-002.live"), files["game-002.live"] + "0\nMove 3: x 5,5 10 ms\n");
    await waitFor(page, () => document.getElementById("board").dataset.stones === "3");
    assert.equal(await stoneAt(page, 10, 10), "o");
    writeFileSync(path.join(folder, "game-002.live"), files["game-002.live"] + "0\nMove 3: x 5,5 10 ms\nMove 4: o 1");
    await waitFor(page, () => /last good position/.test(document.getElementById("message-text").textContent));
    assert.equal(await stones(page), 3);
    await page.screenshot({ path: path.join(shots, "watch-bad-file.png") });
    // Nothing on the page changes the match's files.
    const refused = await page.evaluate(() => fetch("/api/move", { method: "POST", body: "x=1&y=1" }).then((r) => r.status));
    assert.equal(refused, 409);
    assert.deepEqual(readdirSync(folder).sort(), ["game-001.txt", "game-002.live", "match.live"]);
    assert.equal(readFileSync(path.join(folder, "game-001.txt"), "utf8"), files["game-001.txt"]);
    await page.close();
    assert.equal(await stopServer(server), 0);
  });

  test("a real match: stones appear live, the finished games list grows, the end is said", async (t) => {
    const brain = process.env.ZARVO_BRAIN;
    if (!brain || !existsSync(brain)) {
      t.skip("ZARVO_BRAIN names no brain program");
      return;
    }
    const folder = path.join(scratch, "watch-match");
    const server = await startServer("--watch", folder);
    const page = await openPage(server.url);
    const match = spawn(zarvo, ["match", `pipe:${brain}`, `pipe:${brain}`, "--games", "2", "--move-time", "150",
      "--records", folder], { stdio: ["ignore", "pipe", "pipe"] });
    servers.push(match);
    const matchEnded = new Promise((resolve) => match.on("exit", (code) => resolve(code)));

    // The game in progress grows on the board, stone by stone.
    await waitFor(page, () => document.getElementById("board").dataset.following === "1");
    const first = await stones(page);
    await waitFor(page, (n) => Number(document.getElementById("board").dataset.stones) >= n + 2, first);
    // Read in one go: the next move may come at any moment.
    const live = await page.$eval("#board", (svg) => ({
      drawn: svg.querySelectorAll("circle.stone").length,
      stones: Number(svg.dataset.stones),
      status: document.getElementById("status").textContent,
    }));
    assert.equal(live.drawn, live.stones);
    // A slow machine may be in the second game already.
    assert.match(live.status, /Playing game [12] of 2 \([01] finished\)\. Game [12], stone \d+, [xo] to move\./);
    await page.screenshot({ path: path.join(shots, "watch-live.png") });

    // Game 1 joins the list when it ends; then the match ends.
    await waitFor(page, () => document.getElementById("board").dataset.finished === "1", undefined, 60000);
    await waitFor(page, () => document.getElementById("board").dataset.match === "finished", undefined, 60000);
    assert.equal(await matchEnded, 0);
    assert.equal((await watchState(page)).finished, "2");
    assert.match(await text(page, "status"), /^The match has ended: 2 games played\./);
    assert.deepEqual(readdirSync(folder).sort(), ["game-001.txt", "game-002.txt", "match.live", "match.result"]);

    // A finished game stepped through: the same stones as its record.
    const record = readFileSync(path.join(folder, "game-001.txt"), "utf8");
    const total = record.match(/^Opening: (.*)$/m)[1].split(" ").length + (record.match(/^Move /gm) || []).length;
    await page.click('#game-list button[data-game="1"]');
    assert.equal((await watchState(page)).game, "1");
    assert.equal(await text(page, "cursor"), `${total} / ${total}`);
    await page.screenshot({ path: path.join(shots, "watch-ended.png") });
    await page.click("#first");
    assert.equal(await stones(page), 0);
    await page.click("#next");
    const [x, y] = record.match(/^Opening: (\d+),(\d+)/m).slice(1).map(Number);
    assert.equal(await stoneAt(page, x, y), "x");
    await page.close();
    assert.equal(await stopServer(server), 0);
  });
});
