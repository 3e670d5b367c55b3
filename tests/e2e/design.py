"""The design's values that the real-window checks hold the program to,
written once: titles, sizes, places on the coach and on the panel."""

MODEL = "TT04K0007"
MAIN_TITLE = "トトラ　-　" + MODEL
PANEL_TITLE = "設定パネル"
VERSION_TITLE = "トトラのバージョン情報"
CLIENT_SIZE = (868, 254)
PANEL_SIZE = (265, 144)
VERSION_SIZE = (333, 223)
VERSION_OK_CENTRE = (238 + 41, 196 + 11)
TWIPS_PER_PIXEL = 15

# The front door box on the coach, in client pixels, and how far the leaf slides.
DOOR_BOX = (18, 55, 77, 181)
DOOR_TRAVEL = 66
# The door's outline in door-box pixels.
DOOR_OUTLINE = [(24, 0), (76, 0), (76, 180), (5, 172), (2, 156), (0, 136), (0, 97), (10, 45)]
SIGN_BOX = (157, 117, 50, 19)
BOARD_RESET_BOX = (594, 107, 94, 30)
FRAME_FILL = (0xE0, 0xE0, 0xE0)

# On the control panel, in client pixels (its frame FrameA sits at (2, 5)).
CHECK1_CENTRE = (2 + 5 + 24, 5 + 11 + 17)
COMMAND3_CENTRE = (2 + 153 + 50, 5 + 105 + 12)

# The settings line at the first start: fields 12 to 16.
FIRST_START_TAIL = ["#TRUE#", "#TRUE#", "1000", "6000", "0"]
BOARD_RESET_TWIPS = ["8910", "1605"]
