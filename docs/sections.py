"""docs/accuracy.md in parts, each remade by its own script and kept by the others: the
estimators' accuracy from the top (docs/accuracy.py), then each of HEADINGS to the next."""
import os

HEADINGS = [
    "## How often the interval holds H",  # docs/coverage.py
    "## Multifractal spectra",  # docs/multifractal_accuracy.py
    "## Cross-correlation coefficients",  # docs/cross_correlation_accuracy.py
]


def read(path):
    """{heading: its part} for the parts in the file; the top under ""."""
    text = open(path).read() if os.path.exists(path) else ""
    starts = sorted((text.find(h), h) for h in HEADINGS if h in text)
    parts = {"": text[:starts[0][0]] if starts else text}
    for (start, heading), (end, _) in zip(starts, starts[1:] + [(len(text), "")]):
        parts[heading] = text[start:end]
    return parts


def write(path, heading, text):
    """Replaces the part of `heading` ("" for the top) with `text`, keeping the others in order."""
    parts = read(path)
    parts[heading] = text
    kept = [parts[h].rstrip("\n") + "\n" for h in [""] + HEADINGS if parts.get(h, "").strip()]
    with open(path, "w") as out:
        out.write("\n".join(kept))
