"""The module as a user meets it: its version, its help and its type stubs, which name what it has."""
import ast
import inspect
import os
import re

import bhsim

STUBS = os.path.join(os.path.dirname(bhsim.__file__), "bhsim.pyi")


def stub_names(tree):
    """{name: [parameter names]} of the stub's functions and classes (and their methods, as Class.name)."""
    names = {}
    for node in tree.body:
        if isinstance(node, ast.FunctionDef):
            names[node.name] = [a.arg for a in node.args.args + node.args.kwonlyargs]
        elif isinstance(node, ast.ClassDef):
            names[node.name] = []
            for item in node.body:
                if isinstance(item, ast.FunctionDef):
                    names[f"{node.name}.{item.name}"] = [a.arg for a in item.args.args + item.args.kwonlyargs
                                                         if a.arg != "self"]
        elif isinstance(node, ast.AnnAssign):
            names[node.target.id] = []
    return names


def test_the_stubs_and_the_help_name_every_function_class_and_parameter():
    with open(STUBS) as file:
        names = stub_names(ast.parse(file.read()))
    public = {n for n in dir(bhsim) if not n.startswith("_") or n == "__version__"}
    assert public == {n for n in names if "." not in n} - {"FieldValue", "Table"}
    for name, parameters in names.items():
        owner, _, attribute = name.rpartition(".")
        thing = getattr(getattr(bhsim, owner), attribute) if owner else getattr(bhsim, name)
        if attribute == "__init__":
            thing = getattr(bhsim, owner)
        if callable(thing) and name not in ("Refused", "FieldValue", "Table"):
            doc = inspect.getdoc(thing) or ""
            signature = doc.split(")")[0]  # the first line(s) of the help: name(parameters...)
            assert all(re.search(rf"\b{p}\b", signature) for p in parameters), (name, parameters, signature)
            assert len(doc) > 60, name  # a sentence at least


def test_the_version_is_the_programs():
    with open(os.path.join(os.path.dirname(__file__), "..", "..", "CMakeLists.txt")) as file:
        assert re.search(rf"project\(bhsim VERSION {re.escape(bhsim.__version__)} ", file.read())
