#!/usr/bin/env python3
"""Answer times of pbrain-zarvo2 as a manager sees them.

Plays games of the brain against a second copy of itself (30 ms a move), each from two random
stones near the centre, with the limits a manager sends after START, and measures the first
copy's moves from the moment the command is written to the moment the answer is read. Prints
the count of answers later than the turn limit, the median and the worst time, and the median
of each game's first move (the one that pays for anything set up at START).

  scripts/answer_times.py [--brain PATH] [--turn MS] [--memory BYTES] [--moves N]
                          [--busy N] [--seed S]

--busy N keeps N processes spinning meanwhile, as other programs on the machine would.
"""
import argparse
import random
import statistics
import subprocess
import sys
import time


class Brain:
    def __init__(self, path):
        self.process = subprocess.Popen([path, "--no-messages"], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True, bufsize=1)

    def send(self, *lines):
        self.process.stdin.write("".join(line + "\n" for line in lines))
        self.process.stdin.flush()

    def answer(self):
        while True:
            line = self.process.stdout.readline()
            if not line:
                sys.exit("a brain ended")
            if not line.startswith("MESSAGE"):
                return line.strip()

    # The answer to the last of the lines, and the milliseconds from writing to reading it.
    def timed(self, *lines):
        start = time.perf_counter()
        self.send(*lines)
        text = self.answer()
        return text, (time.perf_counter() - start) * 1000

    def end(self):
        self.send("END")
        self.process.wait()


def square(text):
    try:
        x, y = map(int, text.split(","))
        return x, y
    except ValueError:
        return None


def has_five(stones, last):
    x, y = last
    for dx, dy in ((1, 0), (0, 1), (1, 1), (1, -1)):
        run = 1
        for sign in (1, -1):
            k = 1
            while (x + sign * k * dx, y + sign * k * dy) in stones:
                run += 1
                k += 1
        if run >= 5:
            return True
    return False


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[1])
    parser.add_argument("--brain", default="build/pbrain-zarvo2")
    parser.add_argument("--turn", type=int, default=100, help="timeout_turn in ms")
    parser.add_argument("--memory", type=int, help="max_memory in bytes, sent after START")
    parser.add_argument("--moves", type=int, default=200, help="answers to measure")
    parser.add_argument("--busy", type=int, default=0, help="spinning processes beside it")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    spinners = [subprocess.Popen([sys.executable, "-c", "while True: pass"])
                for _ in range(args.busy)]
    measured, opponent = Brain(args.brain), Brain(args.brain)
    rng = random.Random(args.seed)
    times, first = [], []
    try:
        while len(times) < args.moves:
            # 1. A new game on both, the limits after START as managers send them.
            setup = ["START 20", f"INFO timeout_turn {args.turn}"]
            if args.memory is not None:
                setup.append(f"INFO max_memory {args.memory}")
            measured.send(*setup)
            opponent.send("START 20", "INFO timeout_turn 30")
            measured.answer()
            opponent.answer()
            # 2. Two random stones, the measured brain's first, then its move on that board.
            a = (rng.randint(7, 12), rng.randint(7, 12))
            b = a
            while b == a:
                b = (rng.randint(7, 12), rng.randint(7, 12))
            mine, theirs = {a}, {b}
            text, ms = measured.timed("BOARD", f"{a[0]},{a[1]},1", f"{b[0]},{b[1]},2", "DONE")
            times.append(ms)
            first.append(ms)
            # 3. Alternate until a five, a full board or enough answers.
            move = square(text)
            # The opponent learns the opening with the first reply it makes.
            opening = ["BOARD", f"{a[0]},{a[1]},2", f"{b[0]},{b[1]},1"]
            while move and len(times) < args.moves and len(mine) + len(theirs) < 300:
                mine.add(move)
                if has_five(mine, move):
                    break
                command = (opening + [f"{move[0]},{move[1]},2", "DONE"] if opening
                           else [f"TURN {move[0]},{move[1]}"])
                opening = None
                reply = square(opponent.timed(*command)[0])
                if reply is None or reply in mine or reply in theirs:
                    break
                theirs.add(reply)
                if has_five(theirs, reply):
                    break
                text, ms = measured.timed(f"TURN {reply[0]},{reply[1]}")
                times.append(ms)
                move = square(text)
    finally:
        measured.end()
        opponent.end()
        for spinner in spinners:
            spinner.kill()

    late = sum(1 for ms in times if ms > args.turn)
    print(f"turn {args.turn} ms, {args.busy} busy, {len(times)} answers: {late} late, "
          f"median {statistics.median(times):.1f} ms, worst {max(times):.1f} ms, "
          f"first move median {statistics.median(first):.1f} ms (of {len(first)} games)")


if __name__ == "__main__":
    main()
