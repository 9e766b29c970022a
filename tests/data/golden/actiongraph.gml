Creator "Velotrask"
Version	2.2
graph
[
  hierarchic	1
  label ""
  directed	1
  node
  [
    id 0
    label "LTeam.LC-MF:To-player"
    graphics
    [
      x 125
      y -30
      w 1
      h 1
      type "ellipse"
      outline "#000000"
    ]
    LabelGraphics
    [
      text "LTeam.LC-MF:To-player"
      fontSize 12
      fontName "Dialog"
      anchor "c"
    ]
  ]
  node
  [
    id 1
    label "LTeam.L-FW:Attack-support"
    graphics
    [
      x 1000
      y 350
      w 1
      h 1
      type "ellipse"
      outline "#000000"
    ]
    LabelGraphics
    [
      text "LTeam.L-FW:Attack-support"
      fontSize 12
      fontName "Dialog"
      anchor "c"
    ]
  ]
  node
  [
    id 2
    label "LTeam.L-FW:Speed-dribble"
    graphics
    [
      x 2502.5
      y 1200
      w 3
      h 3
      type "ellipse"
      outline "#000000"
    ]
    LabelGraphics
    [
      text "LTeam.L-FW:Speed-dribble"
      fontSize 12
      fontName "Dialog"
      anchor "c"
    ]
  ]
  node
  [
    id 3
    label "LTeam.L-FW:Speed-dribble-END"
    graphics
    [
      x 4990
      y 0
      w 2
      h 2
      type "ellipse"
      outline "#000000"
    ]
    LabelGraphics
    [
      text "LTeam.L-FW:Speed-dribble-END"
      fontSize 12
      fontName "Dialog"
      anchor "c"
    ]
  ]
  edge
  [
    source 0
    target 2
    graphics
    [
      width 1
      type	"spline"
      fill	"#000000"
      targetArrow "standard"
    ]
    LabelGraphics
    [
      text "LTeam.L-FW:Speed-dribble"
      fontSize 12
      fontName	"Dialog"
    ]
  ]
  edge
  [
    source 1
    target 2
    graphics
    [
      width 1
      type	"spline"
      fill	"#000000"
      targetArrow "standard"
    ]
    LabelGraphics
    [
      text "LTeam.L-FW:Speed-dribble"
      fontSize 12
      fontName	"Dialog"
    ]
  ]
  edge
  [
    source 2
    target 3
    graphics
    [
      width 1
      type	"spline"
      fill	"#000000"
      targetArrow "standard"
    ]
    LabelGraphics
    [
      text "LTeam.L-FW:Speed-dribble-END"
      fontSize 12
      fontName	"Dialog"
    ]
  ]
]
