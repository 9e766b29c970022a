Creator "Velotrask"
Version	2.2
graph
[
  hierarchic	1
  label ""
  directed	1
  node
  [
    id 2
    label "LTeam.L-FW:Speed-dribble"
    graphics
    [
      x 2502.5
      y 1200
      w 20
      h 20
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
      w 20
      h 20
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
