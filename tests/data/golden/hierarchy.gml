Creator "Velotrask"
Version	2.2
graph
[
  hierarchic	1
  label "Team"
  directed	1
  node
  [
    id 1
    label "Team"
    graphics
    [
      w 140
      h 20
    ]
    LabelGraphics
    [
      text "Team "
      fontSize 12
      fontName "Dialog"
      anchor "c"
    ]
  ]
  node
  [
    id 2
    label "Team.Left side"
    graphics
    [
      w 140
      h 20
    ]
    LabelGraphics
    [
      text "Team.Left side "
      fontSize 12
      fontName "Dialog"
      anchor "c"
    ]
  ]
  node
  [
    id 3
    label "Team.Left side.Back"
    graphics
    [
      w 140
      h 20
    ]
    LabelGraphics
    [
      text "Team.Left side.Back "
      fontSize 12
      fontName "Dialog"
      anchor "c"
    ]
  ]
  node
  [
    id 4
    label "Team.Right"
    graphics
    [
      w 140
      h 20
    ]
    LabelGraphics
    [
      text "Team.Right "
      fontSize 12
      fontName "Dialog"
      anchor "c"
    ]
  ]
  edge
  [
    source 2
    target 1
    graphics
    [
      width 1
      targetArrow "standard"
    ]
    LabelGraphics
    [
      text ""
      fontSize 12
      fontName	"Dialog"
    ]
  ]
  edge
  [
    source 3
    target 2
    graphics
    [
      width 1
      targetArrow "standard"
    ]
    LabelGraphics
    [
      text ""
      fontSize 12
      fontName	"Dialog"
    ]
  ]
  edge
  [
    source 4
    target 1
    graphics
    [
      width 1
      targetArrow "standard"
    ]
    LabelGraphics
    [
      text ""
      fontSize 12
      fontName	"Dialog"
    ]
  ]
  edge
  [
    source 3
    target 4
    graphics
    [
      width 1
      targetArrow "standard"
    ]
    LabelGraphics
    [
      text ""
      fontSize 12
      fontName	"Dialog"
    ]
  ]
]
