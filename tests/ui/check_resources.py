#!/usr/bin/python3
"""Checks the resource script: no control id twice in one dialog, no access key (&) twice among
the visible controls of one dialog or one menu level, every group of radio buttons one tab stop
that the arrow keys do not leave, no string id twice, and every dialog, picture, string, menu,
cursor and animation that the program loads is there.

    check_resources.py RES_FOLDER     exit status 0 when all is well, 1 with the faults printed
"""
import os
import re
import sys

NEEDED = {
    "DIALOGEX": [101, 102, 103, 104, 109, 110, 111, 113, 115, 120, 127, 129, 130, 131, 132, 133,
                 134, 135, 136, 160, 162, 163, 164, 167, 192, 194, 200, 202, 203, 204, 207, 208,
                 209, 210, 211, 230],
    "ICON": [116, 117, 119, 120, 121, 122, 123, 124, 125, 126, 128, 181, 182, 183, 184, 185],
    "BITMAP": [112, 121, 123, 124, 125, 126, 191, 199, 209, "IDB_SPLASH4", "IDB_SPLASH8",
               "IDB_SPLASH24", "IDB_SPLISH4", "IDB_SPLISH8", "IDB_SPLISH24", "IDB_WELCOME_150",
               "IDB_WELCOME_200", "IDB_CONGRATULATIONS_150", "IDB_CONGRATULATIONS_200",
               "IDB_DISK_LABEL_150", "IDB_DISK_LABEL_200", "IDB_LEGEND_USED_150",
               "IDB_LEGEND_USED_200", "IDB_LEGEND_FREE_150", "IDB_LEGEND_FREE_200",
               "IDB_FOLDER_IMAGES_150", "IDB_FOLDER_IMAGES_200", "IDB_PROTECTED_150",
               "IDB_PROTECTED_200", "IDB_UNPROTECTED_150", "IDB_UNPROTECTED_200"],
    "CURSOR": [187],
    "AVI": [194, "IDR_COPY_ANIMATION_150", "IDR_COPY_ANIMATION_200"],
    "MENU": [107],
}
NEEDED_STRINGS = [1, 2, 3, 4, 6, 102, 103, 104, 57665, 57666, 57668, 57669, 57670, 57671, 57672,
                  57673, 57674, 57675, 57680, 57682, 57683, 57685, 57686, 57687, 57688, 57689,
                  57690, 57691, 57692, 57693, 57695, 57696, 57697, 57699, 57700, 57715, 57716,
                  57717, 57718, 57719, 57722, 57724, 57725, 57726, 57780, 57781]

FOCUSABLE = {"PUSHBUTTON", "DEFPUSHBUTTON", "AUTORADIOBUTTON", "RADIOBUTTON", "AUTOCHECKBOX",
             "CHECKBOX", "GROUPBOX"}
STATIC = {"LTEXT", "CTEXT", "RTEXT"}

# The styles the resource compiler gives each kind of control before the statement's own (a
# "NOT WS_TABSTOP" takes one away).
DEFAULT_STYLES = {
    "AUTORADIOBUTTON": {"WS_TABSTOP"}, "RADIOBUTTON": {"WS_TABSTOP"},
    "AUTOCHECKBOX": {"WS_TABSTOP"}, "CHECKBOX": {"WS_TABSTOP"},
    "PUSHBUTTON": {"WS_TABSTOP"}, "DEFPUSHBUTTON": {"WS_TABSTOP"},
    "EDITTEXT": {"WS_TABSTOP"}, "COMBOBOX": {"WS_TABSTOP"},
    "LTEXT": {"WS_GROUP"}, "CTEXT": {"WS_GROUP"}, "RTEXT": {"WS_GROUP"},
}
# Where the style is among a statement's arguments.
STYLE_ARGUMENT = {"EDITTEXT": 5, "LISTBOX": 5, "COMBOBOX": 5, "CONTROL": 3}


def read_defines(res):
    values = {"IDOK": 1, "IDCANCEL": 2, "IDC_STATIC": -1, "IDHELP": 9}
    for name in ("resource.h",):
        with open(os.path.join(res, name), encoding="utf-8") as f:
            for line in f:
                m = re.match(r"#define\s+(\w+)\s+\(?(-?\d+)\)?", line)
                if m:
                    values[m.group(1)] = int(m.group(2))
    return values


def value_of(token, defines):
    token = token.strip()
    if re.fullmatch(r"-?\d+", token):
        return int(token)
    return defines.get(token, token)


def split_arguments(text):
    """Splits a control statement's arguments at commas outside quotes."""
    parts, current, quoted, i = [], "", False, 0
    while i < len(text):
        c = text[i]
        if c == '"':
            if quoted and i + 1 < len(text) and text[i + 1] == '"':
                current += '""'
                i += 2
                continue
            quoted = not quoted
        if c == "," and not quoted:
            parts.append(current.strip())
            current = ""
        else:
            current += c
        i += 1
    parts.append(current.strip())
    return parts


def access_key(text):
    text = text.replace("&&", "")
    i = text.find("&")
    if i < 0 or i + 1 >= len(text):
        return None
    return text[i + 1].lower()


def styles_of(kind, args):
    styles = set(DEFAULT_STYLES.get(kind, ()))
    index = STYLE_ARGUMENT.get(kind, 6)
    if index < len(args):
        for token in args[index].split("|"):
            token = token.strip()
            if token.startswith("NOT "):
                styles.discard(token[4:].strip())
            elif token:
                styles.add(token)
    return styles


def is_radio(kind, styles):
    return kind in ("AUTORADIOBUTTON", "RADIOBUTTON") or (
        kind == "CONTROL" and bool(styles & {"BS_AUTORADIOBUTTON", "BS_RADIOBUTTON"}))


def check_radio_groups(name, controls, faults):
    """controls: (kind, id name, styles) in the template's order. The dialog manager's group runs
    from a WS_GROUP control to the next one: Tab enters a group of radio buttons at its one tab
    stop and the arrow keys move among its members, so the group is the radio buttons alone, with
    exactly one of them a tab stop."""
    groups = []
    for control in controls:
        if not groups or "WS_GROUP" in control[2]:
            groups.append([])
        groups[-1].append(control)
    for group in groups:
        radios = [c for c in group if is_radio(c[0], c[2])]
        if not radios:
            continue
        if not is_radio(group[0][0], group[0][2]):
            faults.append("%s: radio button %s does not start its group (WS_GROUP)" %
                          (name, radios[0][1]))
        others = ["%s %s" % (c[0], c[1]) for c in group if not is_radio(c[0], c[2])]
        if others and is_radio(group[0][0], group[0][2]):
            faults.append("%s: the group of radio button %s runs on into %s (WS_GROUP after it)" %
                          (name, radios[0][1], others[0]))
        stops = [c[1] for c in radios if "WS_TABSTOP" in c[2]]
        if len(stops) != 1:
            faults.append("%s: the group of radio button %s has %d tab stops (%s)" %
                          (name, radios[0][1], len(stops), ", ".join(stops)))


def check_dialog(name, lines, defines, faults):
    ids = {}
    keys = {}
    static_keys = []
    controls = []
    for line in lines:
        m = re.match(r"\s*(\w+)\s+(.*)", line)
        if not m:
            continue
        kind, rest = m.group(1), m.group(2)
        args = split_arguments(rest)
        if kind in ("EDITTEXT", "LISTBOX", "COMBOBOX"):
            text, control = None, args[0]
        elif kind == "CONTROL" or kind in FOCUSABLE or kind in STATIC or kind == "ICON":
            text, control = args[0], args[1]
        else:
            continue
        controls.append((kind, control, styles_of(kind, args)))
        number = value_of(control, defines)
        if not isinstance(number, int):
            faults.append("%s: control id %s is not defined" % (name, control))
            continue
        if number != -1:
            if number in ids:
                faults.append("%s: id %d is used twice (%s)" % (name, number, control))
            ids[number] = control
        if "NOT WS_VISIBLE" in rest or text is None or not text.startswith('"'):
            continue
        if "SS_NOPREFIX" in rest:
            continue
        key = access_key(text.strip('"'))
        if key is None:
            continue
        button_like = kind in FOCUSABLE or (kind == "CONTROL" and '"Button"' in rest)
        if button_like:
            if key in keys:
                faults.append("%s: access key &%s of %s clashes with %s" % (name, key, text, keys[key]))
            keys[key] = text
        else:
            static_keys.append((key, text))
    check_radio_groups(name, controls, faults)
    # A text's key may name one of the dialog's buttons (click "&Next."); two texts may not share
    # one that names nothing.
    seen = {}
    for key, text in static_keys:
        if key in keys:
            continue
        if key in seen:
            faults.append("%s: access key &%s of %s clashes with %s" % (name, key, text, seen[key]))
        seen[key] = text


def check_menu(name, lines, faults):
    levels = [{}]
    for line in lines:
        stripped = line.strip()
        if stripped == "BEGIN":
            levels.append({})
            continue
        if stripped == "END":
            levels.pop()
            continue
        m = re.match(r'(?:MENUITEM|POPUP)\s+"([^"]*)"', stripped)
        if not m:
            continue
        key = access_key(m.group(1))
        if key is None:
            continue
        level = levels[-1]
        if key in level:
            faults.append("menu %s: access key &%s of %s clashes with %s" % (name, key, m.group(1), level[key]))
        level[key] = m.group(1)


def main():
    res = sys.argv[1]
    defines = read_defines(res)
    with open(os.path.join(res, "Ferrolin2.rc"), encoding="utf-8") as f:
        lines = f.read().splitlines()
    faults = []
    found = {kind: set() for kind in NEEDED}
    strings = {}
    i = 0
    while i < len(lines):
        line = lines[i]
        m = re.match(r"(\w+)\s+(DIALOGEX|MENU|ICON|BITMAP|CURSOR|AVI)\b", line)
        if m:
            kind = m.group(2)
            found[kind].add(value_of(m.group(1), defines))
            if kind in ("DIALOGEX", "MENU"):
                body, depth = [], 0
                i += 1
                while i < len(lines) and lines[i].strip() != "BEGIN":
                    i += 1
                i += 1
                while i < len(lines):
                    stripped = lines[i].strip()
                    if stripped == "BEGIN":
                        depth += 1
                    elif stripped == "END":
                        if depth == 0:
                            break
                        depth -= 1
                    body.append(lines[i])
                    i += 1
                if kind == "DIALOGEX":
                    check_dialog(m.group(1), body, defines, faults)
                else:
                    check_menu(m.group(1), body, faults)
        if line.strip() == "STRINGTABLE":
            i += 2
            while lines[i].strip() != "END":
                parts = lines[i].split(None, 1)
                if parts:
                    number = value_of(parts[0], defines)
                    if number in strings:
                        faults.append("string %s: id %s is used twice" % (parts[0], number))
                    strings[number] = parts[0]
                i += 1
        i += 1
    for kind, wanted in NEEDED.items():
        for item in wanted:
            if item not in found[kind]:
                faults.append("%s %s is missing" % (kind, item))
    for number in NEEDED_STRINGS:
        if number not in strings:
            faults.append("string %d is missing" % number)
    for fault in faults:
        print(fault)
    if not faults:
        print("resources: %d dialogs, %d strings checked" % (len(found["DIALOGEX"]), len(strings)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
