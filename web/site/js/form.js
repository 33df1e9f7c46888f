// SPDX-License-Identifier: MIT
// The engine's form: the model switch and every parameter of the chosen model, grouped, each
// with its label, name, unit, range, a slider and a box. What is typed stays in the box; a value
// the core refuses is marked with its reason and counts only once it is valid (Escape goes back
// to the value that counts).

// A slider's ends: the range's, or a step inside an end that is not included.
export function sliderRange(parameter) {
  const lo = parameter.lowestIncluded ? parameter.lowest : parameter.lowest + parameter.step;
  const hi = parameter.highestIncluded ? parameter.highest : parameter.highest - parameter.step;
  return [lo, Math.max(lo, hi)];
}

export class EngineForm {
  // change(name, text): a value typed or slid; the page answers with show().
  constructor(element, registry, change, switchModel) {
    this.element = element;
    this.registry = registry;
    this.change = change;
    this.model = element.querySelector('#model');
    for (const model of registry.models) {
      this.model.add(new Option(`${model.name}: ${model.summary}`, model.name));
    }
    this.model.addEventListener('change', () => switchModel(this.model.value));
    this.groups = element.querySelector('.groups');
    this.fields = new Map();
  }

  // The fields of that model's parameters, grouped in the registry's order.
  build(modelName) {
    this.groups.replaceChildren();
    this.fields.clear();
    this.model.value = modelName;
    const groups = new Map();
    for (const parameter of this.registry.parameters) {
      if (!parameter.models.includes(modelName)) continue;
      if (!groups.has(parameter.group)) {
        const fieldset = document.createElement('fieldset');
        const legend = document.createElement('legend');
        legend.textContent = parameter.group;
        fieldset.append(legend);
        this.groups.append(fieldset);
        groups.set(parameter.group, fieldset);
      }
      groups.get(parameter.group).append(this.field(parameter, modelName));
    }
  }

  field(parameter, modelName) {
    const row = document.createElement('div');
    row.className = 'field';
    row.title = parameter.tooltips[modelName];
    const id = `p-${parameter.name}`;
    const label = document.createElement('label');
    label.htmlFor = id;
    label.innerHTML = '<span class="plain"></span> <code></code>';
    label.querySelector('.plain').textContent =
      parameter.unit ? `${parameter.label} (${parameter.unit})` : parameter.label;
    label.querySelector('code').textContent = parameter.name;
    const slider = document.createElement('input');
    slider.type = 'range';
    const [lo, hi] = sliderRange(parameter);
    Object.assign(slider, { min: lo, max: hi, step: parameter.step });
    slider.setAttribute('aria-label', `${parameter.label}, slider`);
    slider.dataset.name = parameter.name;
    const box = document.createElement('input');
    box.id = id;
    box.type = 'text';
    box.inputMode = 'decimal';
    box.spellcheck = false;
    box.dataset.name = parameter.name;
    const note = document.createElement('div');
    note.className = 'note';
    note.textContent = parameter.range;
    row.append(label, slider, box, note);
    const field = { parameter, row, slider, box, note, counted: '' };
    slider.addEventListener('input', () => {
      box.value = slider.value;
      this.change(parameter.name, slider.value);
    });
    box.addEventListener('input', () => this.change(parameter.name, box.value.trim()));
    box.addEventListener('keydown', (event) => {
      if (event.key !== 'Escape') return;
      event.preventDefault();
      const counted = field.counted;
      this.change(parameter.name, counted);
      box.value = counted;  // the box of the edited value keeps what was typed: not this time
    });
    this.fields.set(parameter.name, field);
    return row;
  }

  // The engine the core made: every value that counts, and the refusals of the setting just
  // given (`edited`, whose box keeps what was typed).
  show(engine, edited) {
    for (const field of this.fields.values()) {
      const { name } = field.parameter;
      const value = engine.values[name];
      field.counted = String(value);
      if (name !== edited) field.box.value = field.counted;
      if (document.activeElement !== field.slider) field.slider.value = value;
      field.row.classList.remove('refused');
      field.note.textContent = field.parameter.range;
    }
    for (const refusal of engine.refused) {
      for (const name of refusal.names) {
        const field = this.fields.get(name);
        if (!field) continue;
        field.row.classList.add('refused');
        field.note.textContent = refusal.message;
      }
    }
  }
}
