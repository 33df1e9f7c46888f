// SPDX-License-Identifier: MIT
// What a Chromium costs: the CPU time of its processes, read from /proc.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';

// The CPU seconds of a Chromium (the processes of that profile and their children) so far.
export function browserCpu(profile) {
  const stats = fs.readdirSync('/proc').filter((d) => /^[0-9]+$/.test(d)).flatMap((pid) => {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'latin1');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      const own = fs.readFileSync(`/proc/${pid}/cmdline`, 'latin1').includes(profile);
      return [{ pid, parent: fields[1], own, ticks: Number(fields[11]) + Number(fields[12]) }];
    } catch {
      return [];  // gone meanwhile
    }
  });
  const ours = new Set(stats.filter((s) => s.own).map((s) => s.pid));
  for (let grown = true; grown;) {
    grown = false;
    for (const s of stats) {
      if (!ours.has(s.pid) && ours.has(s.parent)) {
        ours.add(s.pid);
        grown = true;
      }
    }
  }
  const ticksPerSecond = Number(execFileSync('getconf', ['CLK_TCK']).toString());
  return stats.filter((s) => ours.has(s.pid)).reduce((sum, s) => sum + s.ticks, 0) / ticksPerSecond;
}
