"""Writes the type stubs of TivraModule from the built module itself.

    PYTHONPATH=build/python /usr/bin/python3 scripts/make_stubs.py OUTDIR

OUTDIR/__init__.pyi gets the module, OUTDIR/<Sub>.pyi each submodule (EA ...).
Signatures come from the ones pybind11 writes at the head of every docstring;
the docstrings go into the stubs too, so editors show them. The module is
installed as a single file, so the stubs ship as the stub package
TivraModule-stubs (`make stubs` regenerates module/stubs/TivraModule).
"""
import ast
import inspect
import re
import sys
from pathlib import Path

import TivraModule

ROOT_NAME = "TivraModule"

# pybind11's names for Python types, as they appear in its signatures.
PYBIND_TYPES = {
    "handle": "Any", "object": "Any", "capsule": "Any", "buffer": "Any", "args": "Any", "kwargs": "Any",
    "sequence": "Sequence[Any]", "iterable": "Iterable[Any]", "iterator": "Iterator[Any]",
    "function": "Callable[..., Any]", "numpy.ndarray": "numpy.typing.NDArray[Any]",
}
NDARRAY = re.compile(r"numpy\.ndarray\[(numpy\.\w+)(?:\[[^\]]*\])?(?:, flags\.[\w|. ]+)*\]")
OVERLOAD_HEAD = re.compile(r"^\d+\. ", re.M)
SKIPPED_MEMBERS = {"__doc__", "__module__", "__dict__", "__weakref__", "__entries", "__members__"}


class StubWriter:
    def __init__(self, module):
        self.module = module
        self.prefix = module.__name__ + "."
        self.lines = []
        self.unknown = set()

    # ---- types -----------------------------------------------------------------
    def annotation(self, text, parameter=False):
        text = NDARRAY.sub(r"numpy.typing.NDArray[\1]", text.strip())
        for name, stub in PYBIND_TYPES.items():
            text = re.sub(r"(?<![\w.])%s(?![\w.\[])" % re.escape(name), stub, text)
        text = text.replace(self.prefix, "")
        if parameter and text == "int":
            text = "SupportsIndex"  # ints take any object with __index__, the enums too
        try:
            ast.parse(text, mode="eval")
        except SyntaxError:
            self.unknown.add(text)
            return "Any"
        return text

    def parameters(self, text):
        """Splits "a: int, b: str = 'x, y'" at its top-level commas."""
        parts, depth, quote, current = [], 0, None, ""
        for ch in text:
            if quote:
                quote = None if ch == quote else quote
            elif ch in "'\"":
                quote = ch
            elif ch in "([{<":
                depth += 1
            elif ch in ")]}>":
                depth -= 1
            elif ch == "," and depth == 0:
                parts.append(current.strip())
                current = ""
                continue
            current += ch
        if current.strip():
            parts.append(current.strip())
        return parts

    def signature(self, line, method):
        match = re.match(r"^(\w+)\((.*)\)(?: -> (.+))?$", line.strip())
        if not match:
            return None
        name, params, result = match.groups()
        out = []
        for index, param in enumerate(self.parameters(params)):
            head, has_default, _ = param.partition(" = ")
            pname, _, ptype = head.partition(": ")
            if method and index == 0:
                out.append(pname)
                continue
            if pname.startswith("*"):
                out.append(pname)
                continue
            text = pname + (": " + self.annotation(ptype, parameter=True) if ptype else "")
            out.append(text + (" = ..." if has_default else ""))
        return name, ", ".join(out), self.annotation(result or "None")

    # ---- writing -----------------------------------------------------------------
    def emit(self, indent, text):
        self.lines.append("    " * indent + text)

    def docstring(self, indent, doc):
        doc = inspect.cleandoc(doc or "")
        if not doc:
            return False
        doc = doc.replace("\\", "\\\\").replace('"""', '\\"\\"\\"')
        text = '"""' + doc + '"""'
        self.lines.extend(("    " * indent + line).rstrip() for line in text.split("\n"))
        return True

    def routine(self, indent, name, obj, method, static=False):
        doc = obj.__doc__ or ""
        if "\nOverloaded function." in doc:
            chunks = OVERLOAD_HEAD.split(doc.split("\nOverloaded function.", 1)[1])[1:]
        else:
            chunks = [doc]
        for chunk in chunks:
            head, _, body = chunk.partition("\n")
            parsed = self.signature(head, method and not static)
            if parsed is None:
                # Routines without a signature line; a class without a constructor of its own has one such __init__.
                parsed = (name, "self, *args: Any, **kwargs: Any" if method else "*args: Any, **kwargs: Any",
                          "None" if name == "__init__" else "Any")
            if len(chunks) > 1:
                self.emit(indent, "@overload")
            if static:
                self.emit(indent, "@staticmethod")
            self.emit(indent, "def %s(%s) -> %s:" % (name, parsed[1], parsed[2]))
            if not self.docstring(indent + 1, body):
                self.lines[-1] += " ..."

    def klass(self, indent, cls):
        bases = [b for b in cls.__bases__ if b.__module__ == cls.__module__]
        self.emit(indent, "class %s%s:" % (cls.__name__, "(%s)" % ", ".join(b.__name__ for b in bases) if bases else ""))
        is_enum = "__members__" in cls.__dict__
        doc = cls.__doc__ or ""
        self.docstring(indent + 1, doc.split("Members:")[0] if is_enum else doc)
        for name, member in cls.__dict__.items():
            if name in SKIPPED_MEMBERS or name.startswith("_pybind11"):
                continue
            if isinstance(member, cls):
                if name.isidentifier() and name != "None":
                    self.emit(indent + 1, "%s: ClassVar[%s]" % (name, cls.__name__))
            elif isinstance(member, staticmethod):
                self.routine(indent + 1, name, member.__func__, method=True, static=True)
            elif isinstance(member, property):
                self.prop(indent + 1, name, member)
            elif inspect.isroutine(member):
                self.routine(indent + 1, name, member, method=True)
            elif inspect.isclass(member):
                self.klass(indent + 1, member)
        if is_enum:
            self.emit(indent + 1, "__members__: ClassVar[dict[str, %s]]" % cls.__name__)

    def prop(self, indent, name, member):
        head = (member.fget.__doc__ or "").strip().split("\n")[0] if member.fget else ""
        result = re.search(r"-> (.+)$", head)
        rtype = self.annotation(result.group(1)) if result else ("int" if name == "value" else "Any")
        if member.fset is not None:
            self.emit(indent, "%s: %s" % (name, rtype))
            return
        self.emit(indent, "@property")
        self.emit(indent, "def %s(self) -> %s: ..." % (name, rtype))

    def write(self, submodules):
        self.docstring(0, self.module.__doc__)
        self.emit(0, "from typing import Any, Callable, ClassVar, Dict, Iterable, Iterator, List, Optional, "
                     "Sequence, SupportsIndex, Tuple, overload")
        self.emit(0, "")
        self.emit(0, "import numpy")
        self.emit(0, "import numpy.typing")
        if self.module.__name__ != ROOT_NAME:
            self.emit(0, "import " + ROOT_NAME)
        for sub in submodules:
            self.emit(0, "from . import %s as %s" % (sub, sub))
        for name, value in self.module.__dict__.items():
            if name.startswith("__") and name != "__version__" or inspect.ismodule(value):
                continue
            if inspect.isclass(value):
                self.emit(0, "")
                self.klass(0, value)
            elif inspect.isroutine(value):
                self.emit(0, "")
                self.routine(0, name, value, method=False)
            elif name.isidentifier() and name != "None":
                if self.lines[-1].startswith(" ") or self.lines[-1].endswith('"""'):
                    self.emit(0, "")
                kind = type(value)
                qualified = kind.__name__ if kind.__module__ in ("builtins", self.module.__name__) else \
                    kind.__module__ + "." + kind.__name__
                self.emit(0, "%s: %s" % (name, self.annotation(qualified)))
        return "\n".join(self.lines) + "\n"


def submodules_of(module):
    return {name: value for name, value in module.__dict__.items()
            if inspect.ismodule(value) and value.__name__ == module.__name__ + "." + name}


def main(outdir):
    out = Path(outdir)
    out.mkdir(parents=True, exist_ok=True)
    for stale in out.glob("*.pyi"):
        stale.unlink()
    subs = submodules_of(TivraModule)
    files = {"__init__.pyi": StubWriter(TivraModule), **{n + ".pyi": StubWriter(m) for n, m in subs.items()}}
    unknown = set()
    for filename, writer in files.items():
        text = writer.write(sorted(subs) if filename == "__init__.pyi" else [])
        (out / filename).write_text(text, encoding="utf-8")
        unknown |= writer.unknown
    (out / "py.typed").touch()
    for text in sorted(unknown):
        print("make_stubs: no Python type for %r, written as Any" % text, file=sys.stderr)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "module/stubs/TivraModule")
