"""Every public class, method and function of the module carries a docstring."""
import inspect
import re

import TivraModule

OVERLOAD_HEAD = re.compile(r"^\d+\. ", re.M)


def documented(routine):
    """True when each overload has text beyond the signature line pybind11 writes."""
    doc = routine.__doc__ or ""
    chunks = OVERLOAD_HEAD.split(doc.split("\nOverloaded function.", 1)[1])[1:] \
        if "\nOverloaded function." in doc else [doc]
    return all(chunk.partition("\n")[2].strip() for chunk in chunks)


def public_items(module):
    for name, value in module.__dict__.items():
        if name.startswith("_"):
            continue
        if inspect.ismodule(value) and value.__name__ == module.__name__ + "." + name:
            yield from public_items(value)
        elif inspect.isclass(value) and value.__module__ == module.__name__:
            yield module.__name__ + "." + name, value
            for method_name, method in value.__dict__.items():
                if not method_name.startswith("_") and inspect.isroutine(method):
                    yield "%s.%s.%s" % (module.__name__, name, method_name), method
        elif inspect.isroutine(value):
            yield module.__name__ + "." + name, value


def test_every_public_class_method_and_function_has_a_docstring():
    missing = []
    for name, item in public_items(TivraModule):
        if inspect.isclass(item):
            if not (item.__doc__ or "").split("Members:")[0].strip():  # pybind11 lists enum members itself
                missing.append(name)
        elif not documented(getattr(item, "__func__", item)):
            missing.append(name)
    assert not missing, "No docstring: " + ", ".join(missing)
