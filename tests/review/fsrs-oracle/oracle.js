// Reads one JSON case per line from standard input:
//   {"retention":0.9,"maximum":36500,"reviews":[[timeMs,grade],...]}
// and prints one JSON line per case: the card after each answer, as the reference scheduler in
// whole days (no same-day steps, no fuzz) gives it.
"use strict";
const { fsrs, generatorParameters, createEmptyCard } = require("ts-fsrs");
const readline = require("readline");

const lines = readline.createInterface({ input: process.stdin });
lines.on("line", (line) => {
  if (!line.trim()) return;
  const c = JSON.parse(line);
  const f = fsrs(generatorParameters({
    request_retention: c.retention,
    maximum_interval: c.maximum,
    enable_fuzz: false,
    enable_short_term: false,
  }));
  let card = createEmptyCard(new Date(c.reviews[0][0]));
  const out = [];
  for (const [time, grade] of c.reviews) {
    const r = f.next(card, new Date(time), grade);
    card = r.card;
    out.push({
      s: card.stability, d: card.difficulty, due: card.due.getTime(),
      ivl: card.scheduled_days, reps: card.reps, lapses: card.lapses,
      elapsed: r.log.elapsed_days, state: card.state,
    });
  }
  process.stdout.write(JSON.stringify(out) + "\n");
});
