// SPDX-License-Identifier: MIT
// The engine in the page's address: every parameter that differs from the model's default as
// NAME=VALUE (the names of --set), the model first, and step=N for a picture held at a step.

export const lastStep = 18000;

// The settings and the step of a query ("?gamma=1.3&step=9000"); a '+' stays a plus.
export function readLink(search) {
  const settings = [];
  let step = null;
  let stepProblem = null;
  for (const part of search.replace(/^\?/, '').split('&')) {
    if (!part) continue;
    const equals = part.indexOf('=');
    const name = decodeURIComponent(equals < 0 ? part : part.slice(0, equals));
    const value = equals < 0 ? '' : decodeURIComponent(part.slice(equals + 1));
    if (name === 'step') {
      if (/^[0-9]+$/.test(value) && Number(value) <= lastStep) {
        step = Number(value);
      } else {
        stepProblem = `step '${value}' is not a step of the sweep (0 to ${lastStep})`;
      }
    } else if (name === 'model') {
      settings.unshift(`${name}=${value}`);
    } else {
      settings.push(`${name}=${value}`);
    }
  }
  return { settings, step, stepProblem };
}

// The query of those settings and a held step (null for none).
export function linkQuery(settings, step) {
  const parts = settings.map((setting) => {
    const equals = setting.indexOf('=');
    return `${encodeURIComponent(setting.slice(0, equals))}=${encodeURIComponent(setting.slice(equals + 1))}`;
  });
  if (step !== null) parts.push(`step=${step}`);
  return parts.length ? `?${parts.join('&')}` : '';
}
