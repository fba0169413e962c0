#!/usr/bin/env python3
"""Starts the program and reads its main window through the accessibility bus,
as a screen reader does. Reports every control a user reaches (takes focus,
or is a menu or menu item) whose name is empty or repeated in its scope:
the window's controls together, the menus of the menu bar together, the
items of each menu together. Exit status 0: all named; 1: problems; 2: the
window never appeared on the bus."""

import subprocess
import sys
import time

import pyatspi

# Controls whose parts a screen reader speaks in their own terms (cells with
# row and column, a combo box's list): the control itself is checked.
LEAVES = {pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_LIST,
          pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_CALENDAR}
MENU_ITEMS = {pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM,
              pyatspi.ROLE_RADIO_MENU_ITEM, pyatspi.ROLE_MENU}


def find_window(title, deadline):
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            for win in app:
                if win is not None and win.name == title:
                    return win
        time.sleep(0.3)
    return None


def label(acc):
    return f"{acc.getRoleName()} \"{acc.name}\""


def path_of(acc, top):
    parts = []
    while acc is not None and acc != top:
        parts.append(acc.getRoleName())
        acc = acc.parent
    return "/".join(reversed(parts))


def walk(acc, top, controls, menus, depth=0):
    if depth > 40:
        return
    states = acc.getState()
    role = acc.getRole()
    if role == pyatspi.ROLE_MENU_BAR:
        menus.append(("menu bar", [m for m in acc if m is not None]))
        for menu in acc:
            if menu is not None:
                menus.append((f"menu \"{menu.name}\"", [i for i in menu if i is not None]))
        return
    if not states.contains(pyatspi.STATE_SHOWING):
        return
    if states.contains(pyatspi.STATE_FOCUSABLE):
        controls.append(acc)
    if role in LEAVES or states.contains(pyatspi.STATE_FOCUSABLE):
        return
    for child in acc:
        if child is not None:
            walk(child, top, controls, menus, depth + 1)


def repeats(scope, objects, problems):
    seen = {}
    for acc in objects:
        name = (acc.name or "").strip()
        if not name:
            problems.append(f"{scope}: {acc.getRoleName()} without a name "
                            f"(description \"{acc.description}\")")
            continue
        seen.setdefault(name, []).append(acc)
    for name, accs in seen.items():
        if len(accs) > 1:
            problems.append(f"{scope}: \"{name}\" names {len(accs)} controls: "
                            + ", ".join(a.getRoleName() for a in accs))


def main():
    exe = sys.argv[1]
    title = sys.argv[2] if len(sys.argv) > 2 else "Tallybrook"
    proc = subprocess.Popen([exe])
    try:
        win = find_window(title, time.time() + 30)
        if win is None:
            print(f"no window \"{title}\" on the accessibility bus", file=sys.stderr)
            return 2
        time.sleep(1.0)  # let the start-up fill the window
        controls, menus = [], []
        walk(win, win, controls, menus)
        problems = []
        repeats("window", controls, problems)
        items = 0
        for scope, objects in menus:
            reachable = [o for o in objects
                         if o.getRole() in MENU_ITEMS
                         and o.getState().contains(pyatspi.STATE_VISIBLE)]
            items += len(reachable)
            repeats(scope, reachable, problems)
        for acc in controls:
            print(f"  {label(acc)}")
        print(f"{len(controls)} controls and {items} menus and menu items read")
        if not controls:
            problems.append("no control found: is accessibility on?")
        for p in problems:
            print("PROBLEM " + p)
        return 1 if problems else 0
    finally:
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()


if __name__ == "__main__":
    sys.exit(main())
