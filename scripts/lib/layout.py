"""Where the windows' controls are: the layout.json that the build writes beside the program from
the tables the windows are made from. Rectangles are in twips, 15 to a pixel."""
import json
import os
import sys


class Layout:
    def __init__(self, program):
        path = os.path.join(os.path.dirname(os.path.abspath(program)), "layout.json")
        with open(path, encoding="utf-8") as f:
            self.windows = json.load(f)

    def title(self, tool):
        return self.windows[tool]["title"]

    def size(self, tool):
        return tuple(self.windows[tool]["size"])

    def controls(self, tool, kind=None):
        return [c for c in self.windows[tool]["controls"] if kind is None or c["kind"] == kind]

    def control(self, tool, name, index=-1):
        return next(c for c in self.controls(tool) if c["name"] == name and c["index"] == index)

    def rect(self, tool, name, index=-1):
        return tuple(self.control(tool, name, index)["rect"])


if __name__ == "__main__":
    # For the shell scripts: PROGRAM title TOOL, or PROGRAM centre TOOL NAME (in pixels).
    layout = Layout(sys.argv[1])
    if sys.argv[2] == "title":
        print(layout.title(sys.argv[3]))
    else:
        left, top, width, height = layout.rect(sys.argv[3], sys.argv[4])
        print((left + width // 2) // 15, (top + height // 2) // 15)
