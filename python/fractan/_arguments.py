"""A wrong argument in one plain line: which argument and what it takes, in
place of the extension's list of signatures and dump of what it was given."""
import functools
import numbers

import numpy as np

# What each annotated kind takes, and whether a value is one.
_KINDS = {
    "int": ("a whole number", lambda v: isinstance(v, (numbers.Integral, np.integer)) and not isinstance(v, bool)),
    "float": ("a number", lambda v: isinstance(v, (numbers.Real, np.number)) and not isinstance(v, bool)),
    "str": ("a string", lambda v: isinstance(v, str)),
    "bool": ("True or False", lambda v: isinstance(v, (bool, np.bool_))),
}


def _split(text):
    """The comma-separated parts of text, outside brackets and quotes."""
    parts, depth, quote, start = [], 0, None, 0
    for i, c in enumerate(text):
        if quote:
            quote = None if c == quote else quote
        elif c in "'\"":
            quote = c
        elif c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
        elif c == "," and depth == 0:
            parts.append(text[start:i].strip())
            start = i + 1
    return parts + [text[start:].strip()] if text.strip() else parts


def _parameters(function):
    """(name, kind, has a default) of each parameter, from the extension's signature line."""
    line = (function.__doc__ or "").splitlines()[0] if function.__doc__ else ""
    inside = line[line.find("(") + 1:line.rfind(") ->")]
    out = []
    for part in _split(inside):
        head, _, default = part.partition(" = ")
        name, _, kind = head.partition(": ")
        out.append((name, kind, bool(default)))
    return out


def _plainly(name, parameters, args, kwargs):
    names = [p[0] for p in parameters]
    shown = [n for n in names if n != "self"]
    if len(args) > len(names):
        return f"{name}() takes {len(shown)} arguments at most: {', '.join(shown)}"
    given = dict(zip(names, args))
    for key, value in kwargs.items():
        if key not in names:
            return f"{name}() has no argument {key!r}; it takes {', '.join(shown)}"
        if key in given:
            return f"{name}() was given {key!r} twice"
        given[key] = value
    for parameter, kind, has_default in parameters:
        if parameter not in given and not has_default:
            return f"{name}() needs {parameter}"
        what, fits = _KINDS.get(kind, (None, None))
        if parameter in given and fits and not fits(given[parameter]):
            return f"{parameter} must be {what}, not {type(given[parameter]).__name__}"
    return f"{name}() cannot take these arguments; it takes {', '.join(shown)}"


def with_plain_errors(function):
    """function, its argument errors said in one line naming the argument."""
    name, parameters = function.__name__, _parameters(function)

    @functools.wraps(function)
    def call(*args, **kwargs):
        try:
            return function(*args, **kwargs)
        except TypeError as error:
            if "incompatible function arguments" not in str(error):
                raise
            raise TypeError(_plainly(name, parameters, args, kwargs)) from None

    return call
