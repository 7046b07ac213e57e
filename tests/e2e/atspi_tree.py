#!/usr/bin/python3
"""Prints the accessibility tree of a running program as a screen reader reads it over AT-SPI:
one line per object, "role<TAB>name<TAB>description<TAB>value", every window of the program
(the value of a text field is its text). Waits up to 20 seconds for the program to join the bus.
    atspi_tree.py PROGRAM"""
import sys
import time

import pyatspi


def value_of(node):
    try:
        if node.getRole() == pyatspi.ROLE_TEXT:
            return node.queryText().getText(0, -1)
        return str(node.queryValue().currentValue)
    except NotImplementedError:
        return ""


def walk(node):
    yield node
    for child in filter(None, node):
        yield from walk(child)


for _ in range(100):
    found = [p for p in pyatspi.Registry.getDesktop(0) if p is not None and p.name == sys.argv[1]]
    if found:
        break
    time.sleep(0.2)
else:
    sys.exit(f"{sys.argv[1]} did not join the accessibility bus")
for node in walk(found[0]):
    fields = [node.getRoleName(), node.name, node.description, value_of(node)]
    print("\t".join(fields).replace("\n", " "))
